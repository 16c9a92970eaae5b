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
