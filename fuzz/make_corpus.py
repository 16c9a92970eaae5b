#!/usr/bin/env python3
# Writes the seed corpora in fuzz/corpus/<target>/ from the examples that the unit tests use,
# in each target's input layout. Run again after changing a layout; the files are committed.
import os
import shutil
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# --- configuration store: uint16 script length, script, file text -----------------------------
def ini_seed(text, script=b""):
    return struct.pack("<H", len(script)) + script + text


def op_text(section, key, value):
    return bytes([0, section, key, len(value)]) + value


def op_int(section, key, value):
    return bytes([1, section, key]) + struct.pack("<i", value)


def op_flag(section, key, value):
    return bytes([2, section, key, 1 if value else 0])


EXAMPLE_INI = (b"[network]\r\nactiveadapter=2\r\n\r\n[display]\r\nopacity=10\r\ndropshadow=1\r\n"
               b"bgcolour=12937777\r\nbordercolour=16777215\r\nfontcolour=16777215\r\n"
               b"fontname=Trebuchet MS\r\nfontsize=8\r\nfontbold=0\r\nfontitalic=0\r\nformat=\r\n"
               b"showquota=1\r\nmonthquota=10000\r\nwidth=180\r\nheight=228\r\nstayontop=1\r\n"
               b"decimalplaces=2\r\ngototray=1\r\n\r\n[bandwidth]\r\ndolog=1\r\ndologins=1\r\n"
               b"dologouts=1\r\n\r\n")
INI_TEXTS = {
    "example_file": EXAMPLE_INI,
    "line_endings": b"[s]\r\na=1\rb=2\nc=3\n\rd=4\r\n\r\ne=5",
    "trims": b" \t[ Display ]\x01 \r\n\t fontname \x02= \t Trebuchet MS \x1f\r\n",
    "comments": b"a=1\r\nstray\r\n; c\r\n\r\n[s]\r\n;b=2\r\n  ;x=3\r\n\r\nd=4\r\n",
    "repeated": b"[s]\r\na=1\r\nb=1\r\n[t]\r\nx=0\r\n[S]\r\nb=2\r\nk=1\r\nK=2\r\n",
    "no_equals": b"[s]\r\n  just text  \r\nk=1\r\nk\r\n[half\r\n",
    "values": b"[s]\r\nk = a = b \r\n=lone\r\nempty=\r\nblank=   \r\n",
    "brackets": b"[]\r\na=1\r\n[ x ] \r\nb=2\r\n[\r\n]\r\n[y]z\r\n",
    "eight_bit": b"[\xa7\xe9]\r\nname=Caf\xe9 \xa0\xff\r\n",
    "nul_bytes": b"[s]\r\nk=a\0b\r\n\0\r\nn\0m=1\r\n\0[t]\0\r\nz=\0\r\n",
    "integers": b"[display]\r\nbgcolour=0xFF\r\nbordercolour=$FF\r\nfontcolour=0x\r\n"
                b"width=abc\r\nleft=-2147483648\r\ntop= +12\r\ndolog=true\r\ndologins=2\r\n",
}
for name, text in INI_TEXTS.items():
    write("fuzz_mem_ini_file", name, ini_seed(text))
write("fuzz_mem_ini_file", "writes_on_example",
      ini_seed(EXAMPLE_INI, op_text(1, 10, b"%kBinpersec% kB/s%nl%\xe9t\xe9 = 100%") +
               op_int(1, 3, 255) + op_int(1, 18, -1200) + op_flag(1, 8, True) +
               op_text(1, 13, b"") + op_text(1, 14, b"abc") + bytes([4, 1, 14, 5, 2, 15])))
write("fuzz_mem_ini_file", "writes_on_empty",
      ini_seed(b"", op_int(0, 0, 2) + op_text(1, 10, b" a\r\nb ") + op_flag(2, 20, False) +
               bytes([0, 0x83]) + b"[x]" + bytes([0x82]) + b"[k" + bytes([2]) + b"y]"))

# --- usage log: clock, control, additions, file ----------------------------------------------
MARCH15 = 45731.0  # 15 March 2025


def record(date, inb, outb):
    return struct.pack("<dQQ", date, inb, outb)


def addition(mode, inb, outb, date):
    return struct.pack("<BIId", mode, inb, outb, date)


def log_seed(now, additions, file, reset=False):
    control = len(additions) | (0x80 if reset else 0)
    return struct.pack("<dB", now, control) + b"".join(additions) + file


nan, inf = float("nan"), float("inf")
write("fuzz_usage_log", "empty", log_seed(MARCH15 + 0.5, [], b""))
write("fuzz_usage_log", "fifty_bytes",
      log_seed(MARCH15 + 0.5, [addition(0, 1000, 0, MARCH15), addition(0, 0, 500, MARCH15)],
               record(MARCH15, 1, 2) + record(MARCH15 + 1, 3, 4) + b"xx"))
write("fuzz_usage_log", "little_endian",
      log_seed(36526.25, [], record(36526.0, 0x0102030405060708, 0x1112131415161718)))
write("fuzz_usage_log", "odd_dates",
      log_seed(MARCH15 + 0.25, [addition(1, 5, 6, 0.0), addition(0, 7, 8, nan)],
               record(nan, 1, 1) + record(inf, 2, 2) + record(-inf, 3, 3) + record(-1e300, 4, 4) +
               record(1e300, 5, 5) + record(-693594.0, 6, 6) + record(2958465.5, 7, 7) +
               record(MARCH15 + 0.5, 8, 8) + record(-0.0, 9, 9)))
write("fuzz_usage_log", "duplicates_and_years",
      log_seed(MARCH15 + 0.75, [addition(0, 1, 1, MARCH15), addition(0, 0, 0, MARCH15 + 1)],
               record(MARCH15, 10, 20) + record(MARCH15, 30, 40) + record(MARCH15 - 365, 50, 60) +
               record(45657.0, 70, 80), reset=True))
write("fuzz_usage_log", "big_counts",
      log_seed(MARCH15, [addition(0, 0xFFFFFFFF, 0xFFFFFFFF, MARCH15)],
               record(MARCH15, 2**64 - 1, 2**63)))

# --- hourly store: base hour, file length and bytes, then steps -------------------------------
def hour_record(hour, inb, outb):
    body = struct.pack("<IQQ", hour, inb, outb)
    return body + struct.pack("<I", zlib.crc32(body))


def hour_seed(base, file, steps):
    return struct.pack("<IH", base, len(file)) + file + b"".join(steps)


def h_add(offset, inb, outb):
    return struct.pack("<BBQI", 0, offset, inb, outb)


def h_many(count):
    return struct.pack("<BH", 1, count)


def h_bytes(op, data):
    return struct.pack("<BB", op, len(data)) + data


H_FLUSH, H_COPY_OVER, H_DELETE, H_RESET, H_RESTART = b"\x02", b"\x03", b"\x06", b"\x07", b"\x09"
MARCH15_HOUR = 484116  # 15 March 2025, 12:00 UTC
H_FILE = hour_record(MARCH15_HOUR, 1000, 2000) + hour_record(MARCH15_HOUR + 1, 3, 4)
write("fuzz_hour_log", "empty", hour_seed(MARCH15_HOUR, b"", [h_add(0, 5, 6), H_FLUSH]))
write("fuzz_hour_log", "replaced_cut_deleted",
      hour_seed(MARCH15_HOUR, H_FILE + b"torn", [
          h_add(0, 1, 0), H_FLUSH, H_COPY_OVER, h_add(1, 1, 0), H_FLUSH,
          h_bytes(4, hour_record(MARCH15_HOUR, 7, 7)), h_add(2, 1, 0), H_FLUSH,
          struct.pack("<BH", 5, 30), h_add(3, 1, 0), H_FLUSH, H_DELETE, H_FLUSH, H_RESTART]))
write("fuzz_hour_log", "rewrite", hour_seed(MARCH15_HOUR, H_FILE * 3, [
    h_many(3000), H_FLUSH, h_many(3000), H_FLUSH, H_RESTART, h_many(100), H_FLUSH]))
write("fuzz_hour_log", "largest_totals", hour_seed(
    7, hour_record(7, 2**63, 1) + hour_record(7, 2**63, 2),
    [h_add(0, 2**63, 2**31), h_add(0, 2**63, 2**31), H_FLUSH, H_RESTART]))
write("fuzz_hour_log", "interrupted_rewrite", hour_seed(MARCH15_HOUR, H_FILE[:24], [
    h_bytes(8, H_FILE), H_RESTART, H_FLUSH, h_bytes(8, H_FILE[:30]), H_RESTART]))
write("fuzz_hour_log", "reset", hour_seed(MARCH15_HOUR, H_FILE, [
    h_add(5, 9, 9), H_FLUSH, h_add(6, 1, 1), H_RESET, H_FLUSH, h_add(0, 2, 2), H_FLUSH]))

# --- per-program store: file length and bytes, then steps ------------------------------------
def app_record(hour, program, inb, outb):
    head = b"\xfe\xa5" + struct.pack("<HIQQ", len(program), hour, inb, outb)
    head += struct.pack("<I", zlib.crc32(head))
    body = head + program
    return body + struct.pack("<I", zlib.crc32(body))


def app_seed(file, steps):
    return struct.pack("<H", len(file)) + file + b"".join(steps)


def a_add(hour, programs):
    return struct.pack("<BBB", 0, hour, len(programs)) + b"".join(
        struct.pack("<BBHB", p, 5, inb, outb) for p, inb, outb in programs)


A_FLUSH, A_COPY_OVER, A_DELETE, A_RESET, A_RESTART = b"\x01", b"\x02", b"\x05", b"\x06", b"\x07"
APP_HOUR = 486000
A_FILE = (app_record(APP_HOUR, "C:\\Program Files\\Br\u00e4user\\browser.exe".encode(), 1000, 20)
          + app_record(APP_HOUR, b"", 5, 6) + app_record(APP_HOUR + 1, b"p3", 7, 8))
write("fuzz_app_log", "empty", app_seed(b"", [a_add(0, [(1, 5, 6)]), A_FLUSH]))
write("fuzz_app_log", "torn_and_damaged",
      app_seed(A_FILE[:40] + b"x" + A_FILE[41:] + A_FILE[:30], [a_add(1, [(3, 1, 1)]), A_RESTART]))
write("fuzz_app_log", "fifty_and_other", app_seed(A_FILE, [
    a_add(0, [(p, 10 + p, 1) for p in range(60)]), A_FLUSH, a_add(0, [(1, 5000, 0)]), A_FLUSH,
    A_RESTART, a_add(0, [(63, 1, 1), (2, 3, 3)]), A_RESTART]))
write("fuzz_app_log", "replaced_cut_deleted", app_seed(A_FILE, [
    a_add(0, [(1, 1, 0)]), A_FLUSH, A_COPY_OVER, a_add(1, [(2, 1, 0)]), A_FLUSH,
    struct.pack("<BB", 3, 32) + A_FILE[:32], a_add(2, [(2, 1, 0)]), A_FLUSH,
    struct.pack("<BH", 4, 50), a_add(3, [(4, 1, 0)]), A_FLUSH, A_DELETE, A_FLUSH, A_RESET,
    A_FLUSH, A_RESTART]))

# --- HTTP response: 16-bit seed for the cuts, padding count, then the response ----------------
HTTP = {
    "one_block": b"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello",
    "split_header": b"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc",
    "long_header": b"HTTP/1.0 200 OK\r\nX-Padding: " + b"p" * 2000 + b"\r\nContent-Length: 4\r\n\r\nbody",
    "no_length_empty": b"HTTP/1.0 200 OK\r\n\r\n",
    "no_length_body": b"HTTP/1.0 200 OK\r\n\r\n\r\n\r\nmore",
    "length_max": b"HTTP/1.0 200 OK\r\nContent-Length: 2147483647\r\n\r\n" + b"x" * 600,
    "length_minus_one": b"HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\nabc",
    "length_12abc": b"HTTP/1.0 200 OK\r\nContent-Length: 12abc\r\n\r\n",
    "two_lengths": b"HTTP/1.0 200 OK\r\ncontent-length : 5 \r\nContent-Length: 2\r\n\r\nab",
    "not_found": b"HTTP/1.0 404 Not Found\r\nContent-Length: 1\r\n\r\nx",
    "too_much_body": b"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nabcdef",
    "lone_line_ends": b"HTTP/1.0 200 OK\rContent-Length: 1\n\r\n\r\nz",
}
for i, (name, response) in enumerate(HTTP.items()):
    write("fuzz_http_response", name, struct.pack("<HB", 0x1234 + 977 * i, 0) + response)
# 219 or 218 times 300 bytes of padding: the header ends just past its bound, or just within it.
write("fuzz_http_response", "header_past_bound", struct.pack("<HB", 7, 219) + HTTP["one_block"])
write("fuzz_http_response", "header_within_bound", struct.pack("<HB", 8, 218) + HTTP["one_block"])

# --- rendering: decimals, separator, counters, sums, billing period, template -----------------
MB = 1 << 20
# 300.5 MB in and 123456789 bytes out, what comes in counted against 1000 MB, 26 days left.
UNDER_QUOTA = (300 * MB + MB // 2, 123456789, 300 * MB + MB // 2, 1000 * MB, 699 * MB + MB // 2, 26)


def render_seed(template, decimals=2, sep=b".", counters=(1536, 512, 4294967295, 1), sums=None,
                period=UNDER_QUOTA):
    sums = sums or [987654321 * (i + 1) for i in range(12)]
    return (struct.pack("<i", decimals) + sep + struct.pack("<4I", *counters) +
            struct.pack("<12Q", *sums) + struct.pack("<5Qq", *period) + template)


write("fuzz_render", "two_lines", render_seed(b"%kBinpersec% in%nl%%kBoutpersec% out"))
write("fuzz_render", "no_decimals", render_seed(b"%kBinpersec%", decimals=0))
write("fuzz_render", "bit_rates", render_seed(b"%Kbinpersec% %Mbinpersec% %Mboutpersec%", decimals=9,
                                              counters=(125000, 5000000, 0, 0)))
write("fuzz_render", "shared_percent", render_seed(b"%MBin%MBout%"))
write("fuzz_render", "case_matters", render_seed(b"%MBINTODAY% %mbintoday% %MBintoday%", sep=b","))
write("fuzz_render", "nl_at_end", render_seed(b"%MBinout% %GBinout%%nl%", counters=(0, 0, 3 << 30, 3 << 30)))
write("fuzz_render", "no_tags", render_seed(b"##kBinpersec##kB/sec incoming#nl####kBoutpersec##kB/sec & 100%"))
write("fuzz_render", "default_template",
      render_seed(b"In: %kBinpersec% kB/s%nl%Out: %kBoutpersec% kB/s%nl%%nl%"
                  b"Today: %MBinouttoday% MB%nl%This month: %MBinoutthismonth% MB"))
write("fuzz_render", "big_sums",
      render_seed(b"%TBinoutthisyear% %GBinthisweek% %MBoutthismonth% %GBouttoday%", decimals=-3,
                  sums=[2**64 - 1 - i for i in range(12)]))
PERIOD_TAGS = (b"%MBinoutthisperiod% %MBinthisperiod% %MBoutthisperiod% %GBinoutthisperiod% "
               b"%GBinthisperiod% %GBoutthisperiod% %MBleftthisperiod% %GBleftthisperiod% "
               b"%quotapercent% %daysleftthisperiod% %MBperdayleft%")
write("fuzz_render", "billing_period", render_seed(PERIOD_TAGS + b"%nl%%MBin%"))
# 150 MB out against 100 MB counting what goes out, two days before the period ends.
write("fuzz_render", "over_quota", render_seed(PERIOD_TAGS, decimals=9, sep=b",",
                                               period=(0, 150 * MB, 150 * MB, 100 * MB, 0, 2)))

# --- field helpers: flags, index, separator, text ----------------------------------------------
def tok_seed(text, sep, index, to_end, trim):
    flags = (1 if to_end else 0) | (2 if trim else 0) | (len(sep) << 2)
    return bytes([flags]) + struct.pack("<i", index) + sep + text


TOK = [
    (b"12. Adapter 2.0", b".", 1, False, True), (b"%nl% - New Line", b" ", 1, False, True),
    (b"..a..b.", b".", 2, False, True), (b"a..b", b".", 2, False, False),
    (b"a..b", b".", 3, False, False), (b"a.b.c", b".", 2, True, True),
    (b"a.b", b".", 5, False, True), (b"a.b", b".", 0, False, True), (b"", b".", 3, False, True),
    (b"abc", b".", 1, False, True), (b"..x.y..", b".", 1, True, True), (b"ab", b"ab", 2, False, True),
    (b"a::b::c", b"::", 2147483647, False, False), (b"x", b"", -2147483648, True, False),
]
for i, args in enumerate(TOK):
    write("fuzz_tok_utils", "case_%02d" % i, tok_seed(*args))

# --- export command line: the arguments, separated by NUL bytes --------------------------------
EXPORT_ARGS = {
    "all_options": ["--period", "hours", "--export", "json", "--from", "2024-02-29", "--to",
                    "2025-03-01", "--out", "C:\\Data\\traffic.json"],
    "help_among_mistakes": ["--export", "xml", "--help"],
    "short_help": ["/?"],
    "days_csv": ["--export", "csv", "--period", "days", "--out", "days.csv"],
    "unknown_format": ["--export", "xml", "--period", "days", "--out", "f"],
    "unknown_period": ["--export", "csv", "--period", "weeks", "--out", "f"],
    "no_out": ["--export", "csv", "--period", "days"],
    "out_without_value": ["--export", "csv", "--period", "days", "--out"],
    "empty_out": ["--export", "csv", "--period", "days", "--out", ""],
    "given_twice": ["--export", "csv", "--export", "csv", "--period", "days", "--out", "f"],
    "no_such_date": ["--export", "csv", "--period", "days", "--out", "f", "--from", "2025-02-29"],
    "short_month": ["--export", "csv", "--period", "days", "--out", "f", "--to", "2025-3-01"],
    "from_after_to": ["--export", "csv", "--period", "days", "--out", "f", "--from", "2025-03-02",
                      "--to", "2025-03-01"],
    "unknown_option": ["--verbose"],
}
for name, args in EXPORT_ARGS.items():
    write("fuzz_export_command_line", name, b"\0".join(a.encode() for a in args))

# --- update descriptor: the file as saved --------------------------------------------------------
def genuine_signature():
    return bytes((0xA5 ^ (i * 29)) & 0xFF for i in range(64)).hex().encode()


DESCRIPTORS = {
    "build_section": b"; comment\r\n[other]\r\nversion=99\r\n[BUILD]\r\n Version = 7 \r\n"
                     b"PATH= host/setup.exe \nSignature=AB12\r\n",
    "empty": b"",
    "words": b"[build]\nversion=seven\npath=x",
    "hex_version": b"[build]\nversion=0x10\npath=http://host/a/setup.exe\n",
    "error_page": b"<html><body>404 Not Found</body></html>",
    "up_to_date": b"[build]\r\nversion=6\r\npath=update.example/setup.exe\r\n",
    "genuine": b"[build]\r\nversion=7\r\npath=update.example/setup.exe\r\nsignature=" +
               genuine_signature() + b"\r\n",
    "replayed_as_8": b"[build]\r\nversion=8\r\npath=update.example/setup.exe\r\nsignature=" +
                     genuine_signature().upper() + b"\r\n",
    "no_host": b"[build]\r\nversion=7\r\npath=/setup.exe\r\nsignature= " + genuine_signature() + b" \r\n",
}
for name, text in DESCRIPTORS.items():
    write("fuzz_update_descriptor", name, text)

# --- inflater: uint16 size to unpack to, raw deflate data ---------------------------------------
def deflated(data, level=9, strategy=zlib.Z_DEFAULT_STRATEGY):
    packer = zlib.compressobj(level, zlib.DEFLATED, -15, 9, strategy)
    return struct.pack("<H", len(data)) + packer.compress(data) + packer.flush()


with open(os.path.join(HERE, "..", "res", "lang", "en.txt"), "rb") as f:
    write("fuzz_inflate", "english", deflated(f.read()))  # dynamic blocks
write("fuzz_inflate", "fixed", deflated(b"hello hello hello", strategy=zlib.Z_FIXED))
write("fuzz_inflate", "stored", deflated(b"abc", level=0))
write("fuzz_inflate", "far_back", b"\x03\x00\x03\x02\x00")

# --- network events: flags, id (u16), version (u8), payload (u16 length), then a recording ----
HOST4, PEER4 = bytes([192, 168, 1, 20]), bytes([93, 184, 216, 34])
HOST6 = bytes.fromhex("20010db8000000000000000000000020")
PEER6 = bytes.fromhex("26062800000000000000000000000001")
EVENT_IDS = {10: False, 11: False, 26: True, 27: True, 42: False, 43: False, 58: True, 59: True}


def event_payload(event_id, pid, size, local=None):
    v6 = EVENT_IDS[event_id]
    local = local or (HOST6 if v6 else HOST4)
    return (struct.pack("<II", pid, size) + (PEER6 if v6 else PEER4) + local +
            struct.pack(">HH", 443, 51000) + bytes(8))


def event_record(time, event_id, payload, version=0):
    return struct.pack("<qHBH", time, event_id, version, len(payload)) + payload


def event_seed(event_id, payload, records=b"", header=True):
    return (struct.pack("<BHBH", 1 if header else 0, event_id, 0, len(payload)) + payload +
            records)


HOUR0 = 472222 * 3600
for event_id in EVENT_IDS:
    write("fuzz_etw_event", f"event_{event_id}", event_seed(event_id, event_payload(event_id, 100, 1460)))
STREAM = b"".join([
    event_record(HOUR0 + 10, 10, event_payload(10, 100, 1000)),
    event_record(HOUR0 + 20, 27, event_payload(27, 200, 700)),
    event_record(HOUR0 + 30, 42, event_payload(42, 4, 60)),
    event_record(HOUR0 + 31, 43, event_payload(43, 0, 90)),
    event_record(HOUR0 + 40, 11, event_payload(11, 100, 5000, bytes([127, 0, 0, 1]))),
    event_record(HOUR0 + 41, 11, event_payload(11, 100, 5000, bytes([10, 8, 0, 2]))),
    event_record(HOUR0 + 3700, 59, event_payload(59, 300, 4000)),
    event_record(HOUR0 + 3701, 10, event_payload(10, 100, 1), version=1),
])
write("fuzz_etw_event", "stream", event_seed(26, event_payload(26, 7, 9)[:30], STREAM))
write("fuzz_etw_event", "stream_torn", event_seed(58, b"", STREAM[:-5]))
write("fuzz_etw_event", "no_header", event_seed(43, b"", b"CVNE\x01\x00\x00\x00" + STREAM, False))
