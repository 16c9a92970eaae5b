"""What the statistics text should read, computed here independently of the program:
the number format (nine significant digits, halves away from zero) and the period sums."""
import datetime
from decimal import ROUND_HALF_UP, Decimal, localcontext
from fractions import Fraction

EPOCH = datetime.date(1899, 12, 30)


def day_number(date):
    return float((date - EPOCH).days)


def format_number(value, decimals, separator="."):
    """value: an exact Fraction."""
    with localcontext() as ctx:
        ctx.prec = 60
        exact = Decimal(value.numerator) / Decimal(value.denominator)
        if exact != 0:
            exponent = exact.adjusted() - 8  # keep nine significant digits
            exact = exact.quantize(Decimal(1).scaleb(exponent), rounding=ROUND_HALF_UP)
        text = f"{exact.quantize(Decimal(1).scaleb(-decimals), rounding=ROUND_HALF_UP):f}"
    return text.replace(".", separator)


def period_sums(records, today):
    """Sums by period and direction, as the usage log defines them."""
    week = today.isocalendar()[:2]  # ISO week-year and week
    sums = {}
    for period in ("today", "week", "month", "year"):
        for direction in ("in", "out", "inout"):
            sums[period, direction] = 0
    for date, in_bytes, out_bytes in records:
        d = EPOCH + datetime.timedelta(days=int(date))
        member = {
            "today": d == today,
            "week": d.isocalendar()[:2] == week,
            "month": (d.year, d.month) == (today.year, today.month),
            "year": d.year == today.year,
        }
        for period, included in member.items():
            if included:
                sums[period, "in"] += in_bytes
                sums[period, "out"] += out_bytes
                sums[period, "inout"] += in_bytes + out_bytes
    return sums


UNITS = {"MB": 1024 ** 2, "GB": 1024 ** 3, "TB": 1024 ** 4}
PERIOD_SUFFIX = {"thisyear": "year", "thismonth": "month", "thisweek": "week", "today": "today"}


def render(template, decimals, sums, separator="."):
    """The rendering for a monitor whose counters are all 0."""
    text = template.replace("%nl%", "\r\n")
    for rate in ("kBinpersec", "kBoutpersec", "MBinout", "MBout", "MBin", "GBinout", "GBout", "GBin",
                 "MBoutpersec", "MBinpersec", "Mbinpersec", "Mboutpersec", "Kbinpersec", "Kboutpersec"):
        text = text.replace(f"%{rate}%", format_number(Fraction(0), decimals, separator))
    for suffix in ("thisyear", "thismonth", "thisweek", "today"):
        for unit in ("MB", "GB", "TB"):
            if suffix == "today" and unit == "TB":
                continue
            for direction in ("inout", "in", "out"):
                tag = f"%{unit}{direction}{suffix}%"
                value = Fraction(sums[PERIOD_SUFFIX[suffix], direction], UNITS[unit])
                text = text.replace(tag, format_number(value, decimals, separator))
    return text


# The History window's texts, computed here from the prepared records.
WEEKDAYS = ("Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun")
MONTHS = ("January", "February", "March", "April", "May", "June", "July", "August", "September",
          "October", "November", "December")


def format_bytes(n, separator="."):
    if n < 1024:
        return f"{n} bytes"
    power = max(k for k in range(1, 5) if n >= 1024 ** k)
    return f"{format_number(Fraction(n, 1024 ** power), 2, separator)} {('KB', 'MB', 'GB', 'TB')[power - 1]}"


def bar_figures(name, in_bytes, out_bytes):
    def figure(n):
        return f"{format_bytes(n)} ({n} bytes)"
    return f"{name}: total {figure(in_bytes + out_bytes)}\r\nIn {figure(in_bytes)}, out {figure(out_bytes)}"


def per_day(total, first, last, first_data, last_data, now, units_per_day):
    """The total spread over the page's units from its first logged one to the present."""
    units = max(1, min(last, max(now, last_data)) - max(first, first_data) + 1)
    return int((Fraction(total * units_per_day, units) + Fraction(1, 2)) // 1)


def summary(in_bytes, out_bytes, average):
    return (f"Total {format_bytes(in_bytes + out_bytes)} (in {format_bytes(in_bytes)}, "
            f"out {format_bytes(out_bytes)}), daily average {format_bytes(average)}")


def hour_name(hour):
    """A UTC hour key in the local time of this machine, which Wine shares."""
    t = datetime.datetime.fromtimestamp(hour * 3600).astimezone()
    minutes = int(t.utcoffset().total_seconds()) // 60
    sign = "-" if minutes < 0 else "+"
    return (f"{WEEKDAYS[t.weekday()]} {t.day} {MONTHS[t.month - 1][:3]} {t.year} {t:%H:%M} "
            f"(UTC{sign}{abs(minutes) // 60:02d}:{abs(minutes) % 60:02d})")


def day_name(date):
    return f"{WEEKDAYS[date.weekday()]} {date.day} {MONTHS[date.month - 1]} {date.year}"
