"""Fails when a text of res/lang/en.txt is named nowhere in src/: nothing would show it.

The other way round needs no check: the texts' identifiers are made from en.txt, so code that
names a text en.txt lacks does not build.
Usage: check_texts_used.py REPO_ROOT
"""
import pathlib
import re
import sys


def main(root):
    root = pathlib.Path(root)
    sys.path.insert(0, str(root / "cmake"))
    import embed_texts

    found, _ = embed_texts.texts(root / "res" / "lang" / "en.txt")
    code = "\n".join(p.read_text() for p in sorted((root / "src").rglob("*"))
                     if p.suffix in (".h", ".cpp"))
    named = set(re.findall(r"\b(TTextId|TPluralId)::(\w+)", code))
    unused = [key for enum, name, key, _ in found if (enum, name) not in named]
    for key in unused:
        print(f"res/lang/en.txt: {key} is shown nowhere in src/")
    return 1 if unused else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
