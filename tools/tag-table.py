#!/usr/bin/env python3
"""Prints the display template's tags as a Markdown table, from the program's own tag list.

The list in src/display/tags.cpp is compiled, with a few lines that print it, into a small
native program (with the host's C++ compiler, c++ or $CXX), so the table shows exactly what the
settings dialog offers, in its order. The descriptions are the English texts of
res/lang/en.txt, found by the text identifiers the list names.

  tools/tag-table.py > table.md
"""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
EN_TXT = os.path.join(ROOT, "res", "lang", "en.txt")
LANGUAGES_TXT = os.path.join(ROOT, "res", "lang", "languages.txt")
EMBED_TEXTS = os.path.join(ROOT, "cmake", "embed_texts.py")

PRINTER = r"""
#include "display/tags.h"
#include <cstdio>

int main() {
    for (const TTagEntry& entry : TagEntries())
        std::printf("%s\t%d\n", entry.Tag, static_cast<int>(entry.Description));
    return 0;
}
"""


def english_texts():
    """en.txt's texts by slot, the number an identifier stands for (as the build numbers them)."""
    sys.path.insert(0, os.path.dirname(EMBED_TEXTS))
    import embed_texts as embed
    _, entries = embed.parse(EN_TXT)
    found, _ = embed.texts(EN_TXT)
    return {slot: entries[slot][2] for enum, _, _, slot in found if enum == "TTextId"}


def tag_entries():
    compiler = os.environ.get("CXX") or shutil.which("c++") or shutil.which("g++")
    if not compiler:
        sys.exit("tag-table.py: no C++ compiler found (set CXX)")
    texts = english_texts()
    with tempfile.TemporaryDirectory(prefix="corvane-tags-") as work:
        subprocess.run([sys.executable, EMBED_TEXTS, EN_TXT, LANGUAGES_TXT, os.path.join(work, "text"),
                        "kBuiltInTexts"],
                       check=True)
        source = os.path.join(work, "print_tags.cpp")
        program = os.path.join(work, "print_tags")
        with open(source, "w") as f:
            f.write(PRINTER)
        subprocess.run([compiler, "-std=c++17", "-I", os.path.join(ROOT, "src"), "-I", work,
                        "-o", program, source, os.path.join(ROOT, "src", "display", "tags.cpp")],
                       check=True)
        output = subprocess.run([program], check=True, capture_output=True).stdout
    entries = [line.split("\t", 1) for line in output.decode("utf-8").splitlines()]
    return [(tag, texts[int(slot)]) for tag, slot in entries]


def main():
    print("| Tag | Shows |")
    print("|---|---|")
    for tag, description in tag_entries():
        print(f"| `{tag}` | {description} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
