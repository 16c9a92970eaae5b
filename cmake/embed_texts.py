#!/usr/bin/env python3
"""Checks the language files and builds them into the program.

English (en.txt) names every text: its keys give the texts' identifiers and slots. The list
(languages.txt, "code = the language's own name", English first) names the other files, each
CODE.txt beside the list. Every file is checked here, and a fault stops the build with
"file:line: fault"; the program itself reads no keys.

text_ids.h: one identifier per text, its key in CamelCase (menu.check_updates is
TTextId::MenuCheckUpdates) and its value the text's slot. A text with a count, key.one followed
by key.other, is one TPluralId: the slot of its "one" form.
NAME.cpp: the TTextPack NAME, the language list and the texts of all languages in one raw
deflate stream. Unpacked, each language is its plural rule (one byte) and then its texts in slot
order, each ended by a NUL; a text the language lacks is empty. With --plain it also holds the
unpacked bytes, for the tests.
Usage: embed_texts.py EN_TXT LANGUAGES_TXT OUT_DIR NAME [--plain]
"""
import os
import re
import sys
import zlib

PLURAL_FORMS = (".one", ".other")
PLURAL_RULES = ("one-for-1", "one-for-0-and-1", "none")  # in the order of TPluralRule
BLANKS = " \t\r"
ESCAPES = {"n": "\n", "t": "\t", "s": " ", "\\": "\\"}
KEY = re.compile(r"[a-z0-9_]+(\.[a-z0-9_]+)*")
PLACEHOLDER = re.compile(r"\{([^{}]*)\}")


class Fault(Exception):
    pass


def lines(path):
    """(number, line) of the lines that are neither comments nor blank."""
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    for number, raw in enumerate(data.split(b"\n"), 1):
        try:
            line = raw.decode("utf-8").strip(BLANKS)
        except UnicodeDecodeError:
            raise Fault(f"{path}:{number}: not UTF-8: save the file as UTF-8")
        if line and not line.startswith("#"):
            yield number, line


def unescape(text, where):
    out, chars = [], iter(text)
    for c in chars:
        if c == "\\":
            letter = next(chars, "")
            if letter not in ESCAPES or not letter:
                raise Fault(f"{where}: unknown escape \"\\{letter}\": \\n, \\t, \\s and \\\\ are known")
            c = ESCAPES[letter]
        elif c == "\0":
            raise Fault(f"{where}: a NUL character")
        out.append(c)
    return "".join(out)


def parse(path):
    """The plural rule and the [(number, key, text)] of a file; faults of form, keys given
    twice and empty texts raise Fault."""
    rule, entries, seen = 0, [], {}
    for number, line in lines(path):
        where = f"{path}:{number}"
        key, equals, text = line.partition("=")
        key, text = key.strip(BLANKS), text.strip(BLANKS)
        if not equals:
            raise Fault(f"{where}: no \"=\" between key and text")
        if not KEY.fullmatch(key):
            raise Fault(f"{where}: \"{key}\" is no key: lower-case words joined by dots")
        if "." not in key:
            if key != "plural":
                raise Fault(f"{where}: \"{key}\" is no setting: a text's key has a dot")
            if text not in PLURAL_RULES:
                raise Fault(f"{where}: the plural rule \"{text}\" is none of {', '.join(PLURAL_RULES)}")
            rule = PLURAL_RULES.index(text)
            continue
        if key in seen:
            raise Fault(f"{where}: \"{key}\" is given twice (line {seen[key]})")
        seen[key] = number
        text = unescape(text, where)
        if not text:
            raise Fault(f"{where}: \"{key}\" has an empty text")
        entries.append((number, key, text))
    return rule, entries


def identifier(key):
    return "".join(word[:1].upper() + word[1:] for word in re.split(r"[._]", key))


def slots(path, entries):
    """(enum, identifier, key, slot) of each English text, in slot order; a text with a count is
    listed once, with its key without the form."""
    found, names, at = [], {}, 0
    while at < len(entries):
        number, key, _ = entries[at]
        enum = "TTextId"
        if key.endswith(PLURAL_FORMS[0]):
            key = key[: -len(PLURAL_FORMS[0])]
            if at + 1 == len(entries) or entries[at + 1][1] != key + PLURAL_FORMS[1]:
                raise Fault(f"{path}:{number}: {key}.one is not followed by {key}.other")
            enum = "TPluralId"
        elif key.endswith(PLURAL_FORMS[1]):
            raise Fault(f"{path}:{number}: {key} has no .one form before it")
        name = identifier(key)
        if not re.fullmatch(r"[A-Za-z]\w*", name):
            raise Fault(f"{path}:{number}: {key} makes no identifier")
        if name in names:
            raise Fault(f"{path}:{number}: {key} has the identifier of line {names[name]}")
        names[name] = number
        found.append((enum, name, key, at))
        at += 2 if enum == "TPluralId" else 1
    return found


def texts(path):
    """English's (enum, identifier, key, slot) and its number of slots."""
    _, entries = parse(path)
    return slots(path, entries), len(entries)


def translate(path, english):
    """A language's rule and texts in English's slots ("" where it lacks one)."""
    rule, entries = parse(path)
    slot_of = {key: slot for slot, (_, key, _) in enumerate(english)}
    given = {key for _, key, _ in entries}
    out = [""] * len(english)
    for number, key, text in entries:
        where = f"{path}:{number}"
        if key not in slot_of:
            raise Fault(f"{where}: \"{key}\" is no text of the program")
        slot = slot_of[key]
        base, form = key.rsplit(".", 1)
        wanted = set(PLACEHOLDER.findall(english[slot if form != "one" else slot + 1][2]))
        names = set(PLACEHOLDER.findall(text))
        if form == "one" and english[slot + 1][1] == base + ".other":
            if not names <= wanted:  # "one file" may leave the count out
                raise Fault(f"{where}: \"{key}\" has placeholders English lacks: {sorted(names - wanted)}")
            if base + ".other" not in given:
                raise Fault(f"{where}: \"{key}\" without {base}.other")
        elif names != wanted:
            raise Fault(f"{where}: \"{key}\" has the placeholders {sorted(names)}, English {sorted(wanted)}")
        elif form == "other" and slot and english[slot - 1][1] == base + ".one" \
                and PLURAL_RULES[rule] != "none" and base + ".one" not in given:
            raise Fault(f"{where}: \"{key}\" without {base}.one")
        out[slot] = text
    return rule, out


def language_list(path):
    """[(code, own name)] of languages.txt, English first."""
    found = []
    for number, line in lines(path):
        code, equals, name = (part.strip(BLANKS) for part in line.partition("="))
        if not equals or not re.fullmatch(r"[a-z]{2,3}(-[A-Za-z0-9]+)*", code) or not name:
            raise Fault(f"{path}:{number}: not \"code = the language's own name\"")
        if code in (c for c, _ in found):
            raise Fault(f"{path}:{number}: {code} is listed twice")
        found.append((code, name))
    if not found or found[0][0] != "en":
        raise Fault(f"{path}:1: English (en) comes first")
    return found


def write_if_changed(path, content):
    """Leaves an unchanged file alone, so that what includes it is not rebuilt."""
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            if f.read() == content:
                return
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(content)


def ids_header(found, count):
    out = ["// Generated by cmake/embed_texts.py from res/lang/en.txt: each text's slot.",
           "#pragma once", "#include <cstddef>", "#include <cstdint>", ""]
    for enum, comment in (("TTextId", ""), ("TPluralId", " // the \"one\" form; \"other\" follows")):
        out.append(f"enum class {enum} : uint16_t {{{comment}")
        out += [f"    {name} = {slot}, // {key}" for e, name, key, slot in found if e == enum]
        out += ["};", ""]
    out.append(f"inline constexpr size_t kTextCount = {count};")
    return "\n".join(out) + "\n"


def unpacked(languages):
    """The bytes the program unpacks: each language's rule and its NUL-ended texts."""
    return b"".join(bytes([rule]) + b"".join(t.encode("utf-8") + b"\0" for t in texts)
                    for rule, texts in languages)


def deflate(data):
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    return packer.compress(data) + packer.flush()


def byte_array(name, data):
    rows = [", ".join(str(b) for b in data[i:i + 24]) for i in range(0, len(data), 24)]
    return f"constexpr unsigned char {name}[] = {{\n" + "".join(f"    {row},\n" for row in rows) + "};\n"


def c_string(text):
    return '"' + "".join(c if c.isascii() and c.isprintable() and c not in '"\\' else
                         "".join(f"\\x{b:02x}\" \"" for b in c.encode("utf-8")) for c in text) + '"'


def pack_source(name, codes, data, plain):
    out = [f"// Generated by cmake/embed_texts.py: {len(codes)} language(s), {len(data)} bytes "
           "unpacked.", '#include "text/text_pack.h"', "", "namespace {", "",
           byte_array("kDeflated", deflate(data))]
    if plain:
        out.append(byte_array("kPlain", data))
    out.append("constexpr TLanguage kList[] = {")
    out += [f"    {{{c_string(code)}, {c_string(own)}}}," for code, own in codes]
    out += ["};", "", "} // namespace", "",
            f"extern const TTextPack {name} = {{kDeflated, sizeof kDeflated, {len(data)}, "
            f"{'kPlain' if plain else 'nullptr'}, kList, {len(codes)}}};"]
    return "\n".join(out) + "\n"


def main(english_path, list_path, folder, name, *options):
    try:
        rule, entries = parse(english_path)
        found = slots(english_path, entries)
        codes = language_list(list_path)
        languages = [(rule, [text for _, _, text in entries])]
        for code, _ in codes[1:]:
            languages.append(translate(os.path.join(os.path.dirname(list_path), code + ".txt"), entries))
    except (Fault, OSError) as e:
        sys.exit(str(e))
    os.makedirs(folder, exist_ok=True)
    write_if_changed(os.path.join(folder, "text_ids.h"), ids_header(found, len(entries)))
    write_if_changed(os.path.join(folder, name + ".cpp"),
                     pack_source(name, codes, unpacked(languages), "--plain" in options))


if __name__ == "__main__":
    main(*sys.argv[1:])
