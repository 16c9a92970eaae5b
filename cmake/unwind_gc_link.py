#!/usr/bin/env python3
"""Runs a MinGW-w64 link with --gc-sections so that it drops the unwind data of dropped code.

GNU ld's default script keeps every .pdata and .xdata input section, and the kept unwind entries
refer to their functions: every function with unwind data stays, used or not. The link is run
until the set of kept functions no longer grows, each time with a copy of the default script
that keeps the .pdata/.xdata of exactly the functions the previous run kept and discards the
others. Sections from objects built without function sections (plain .pdata/.xdata) are kept as
before. GCC names a function's unwind sections after its code section (.text$f -> .pdata$f,
.xdata$f), which the map written beside the output (<output>.map) is checked against.

Usage: unwind_gc_link.py <command...>   (as CMake's RULE_LAUNCH_LINK: commands other than a
link with --gc-sections, such as the archiving steps of the link rule, run unchanged)
"""
import os
import re
import subprocess
import sys

UNWIND = (".pdata", ".xdata")
MAX_RUNS = 10


def default_script(compiler):
    ld = subprocess.run([compiler, "-print-prog-name=ld"], check=True, capture_output=True,
                        text=True).stdout.strip()
    text = subprocess.run([ld, "--verbose"], check=True, capture_output=True, text=True).stdout
    parts = text.split("==================================================")
    if len(parts) != 3:
        sys.exit("unwind_gc_link: no default linker script in the output of %s --verbose" % ld)
    return parts[1]


def script_keeping(base, suffixes):
    """The default script with the unwind data of `suffixes` kept and other unwind data gone."""
    text = base
    for kind in UNWIND:
        old = "    KEEP(*(%s*))\n" % kind
        if text.count(old) != 1:
            sys.exit("unwind_gc_link: the default linker script has no single %s rule" % old.strip())
        rules = ["    KEEP(*(%s))\n" % kind] + ["    KEEP(*(%s%s))\n" % (kind, s) for s in suffixes]
        text = text.replace(old, "".join(rules))
    discard = "  /DISCARD/ :\n  {\n"
    if text.count(discard) != 1:
        sys.exit("unwind_gc_link: the default linker script has no single /DISCARD/ rule")
    return text.replace(discard, discard + "".join("    *(%s*)\n" % k for k in UNWIND))


def map_sections(path):
    """(kept, discarded): sets of (section name, input file) from a GNU ld map."""
    kept, discarded = set(), set()
    target = None
    pending = None
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            if line.startswith("Discarded input sections"):
                target = discarded
                continue
            if line.startswith("Memory Configuration"):
                target = None
                continue
            if line.startswith("Linker script and memory map"):
                target = kept
                continue
            if target is None:
                continue
            alone = re.match(r"^ (\.\S+)\s*$", line)
            if alone:
                pending = alone.group(1)
                continue
            entry = re.match(r"^ (\.\S+)?\s+0x[0-9a-f]+\s+0x[0-9a-f]+\s+(\S.*)$", line)
            name = entry and (entry.group(1) or pending)
            if name:
                target.add((name, entry.group(2).strip()))
            pending = None
    return kept, discarded


def code_suffixes(sections):
    return {name[len(".text"):] for name, _ in sections
            if name.startswith(".text") and name != ".text"}


def check_unwind(kept, discarded):
    """Every discarded unwind section belongs to a discarded code section of its own file."""
    kept_code = {(name, owner) for name, owner in kept if name.startswith(".text")}
    for name, owner in discarded:
        kind = name[:len(".pdata")]
        if kind in UNWIND and name != kind:
            code = (".text" + name[len(kind):], owner)
            if code in kept_code or code not in discarded:
                sys.exit("unwind_gc_link: %s of %s dropped, its code %s" %
                         (name, owner, "kept" if code in kept_code else "unknown"))


def main(command):
    if "-Wl,--gc-sections" not in command or "-o" not in command:
        return subprocess.run(command).returncode
    output = command[command.index("-o") + 1]
    script_path, map_path = output + ".ld", output + ".map"
    base = default_script(command[0])
    suffixes = set()
    for _ in range(MAX_RUNS):
        with open(script_path, "w", encoding="utf-8") as f:
            f.write(script_keeping(base, sorted(suffixes)))
        result = subprocess.run(command + ["-Wl,-T," + script_path, "-Wl,-Map," + map_path])
        if result.returncode != 0:
            return result.returncode
        kept, discarded = map_sections(map_path)
        live = code_suffixes(kept)
        if live <= suffixes:
            check_unwind(kept, discarded)
            return 0
        suffixes |= live
    sys.exit("unwind_gc_link: the kept code still grew after %d links" % MAX_RUNS)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
