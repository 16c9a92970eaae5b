#!/usr/bin/env python3
"""Prints the display template's tags as a Markdown table, from the program's own tag list.

The list in src/display/tags.cpp is compiled, with a few lines that print it, into a small
native program (with the host's C++ compiler, c++ or $CXX), so the table shows exactly what the
settings dialog offers, in its order.

  tools/tag-table.py > table.md
"""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))

PRINTER = r"""
#include "display/tags.h"
#include <cstdio>

int main() {
    for (const TTagEntry& entry : TagEntries())
        std::printf("%s\t%s\n", entry.Tag, entry.Description);
    return 0;
}
"""


def tag_entries():
    compiler = os.environ.get("CXX") or shutil.which("c++") or shutil.which("g++")
    if not compiler:
        sys.exit("tag-table.py: no C++ compiler found (set CXX)")
    with tempfile.TemporaryDirectory(prefix="corvane-tags-") as work:
        source = os.path.join(work, "print_tags.cpp")
        program = os.path.join(work, "print_tags")
        with open(source, "w") as f:
            f.write(PRINTER)
        subprocess.run([compiler, "-std=c++17", "-I", os.path.join(ROOT, "src"), "-o", program,
                        source, os.path.join(ROOT, "src", "display", "tags.cpp")], check=True)
        output = subprocess.run([program], check=True, capture_output=True).stdout
    return [line.split("\t", 1) for line in output.decode("utf-8").splitlines()]


def main():
    print("| Tag | Shows |")
    print("|---|---|")
    for tag, description in tag_entries():
        print(f"| `{tag}` | {description} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
