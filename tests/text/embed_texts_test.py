"""The build's checks of the language files: each fault stops cmake/embed_texts.py with
"file:line: fault"; files without faults pack into a stream that unpacks to their texts.
Usage: embed_texts_test.py REPO_ROOT
"""
import pathlib
import re
import subprocess
import sys
import tempfile
import zlib

ENGLISH = ("plural = one-for-1\n"
           "a.hello = Hello {name}\n"
           "a.files.one = one file of {size}\n"
           "a.files.other = {count} files of {size}\n")

# (language file, English file or None for ENGLISH, the fault's file, line and words)
FAULTS = [
    ("a.hello Hallo\n", None, "de.txt:1: no \"=\" between key and text"),
    ("A.hello = Hallo {name}\n", None, "de.txt:1: \"A.hello\" is no key"),
    ("a.hello = Hallo {name}\\q\n", None, "de.txt:1: unknown escape \"\\q\""),
    ("# Gr\xfc\xdfe\n", None, "de.txt:1: not UTF-8"),
    ("plural = two\n", None, "de.txt:1: the plural rule \"two\" is none of"),
    ("\na.gone = Weg\n", None, "de.txt:2: \"a.gone\" is no text of the program"),
    ("a.hello = Hallo {name}\na.hello = Hi {name}\n", None, "de.txt:2: \"a.hello\" is given twice"),
    ("a.hello =\n", None, "de.txt:1: \"a.hello\" has an empty text"),
    ("a.hello = Hallo\n", None, "de.txt:1: \"a.hello\" has the placeholders [], English ['name']"),
    ("a.files.one = eine {name}\na.files.other = {count} von {size}\n", None,
     "de.txt:1: \"a.files.one\" has placeholders English lacks: ['name']"),
    ("a.files.one = eine Datei\n", None, "de.txt:1: \"a.files.one\" without a.files.other"),
    ("a.files.other = {count} Dateien von {size}\n", None, "de.txt:1: \"a.files.other\" without a.files.one"),
    ("", "a.hello = Hello {name}\na.files.one = one\n", "en.txt:2: a.files.one is not followed by a.files.other"),
    ("", "a.hello = Hello\na.hello = Hi\n", "en.txt:2: \"a.hello\" is given twice"),
    ("", "a.hello =\n", "en.txt:1: \"a.hello\" has an empty text"),
]


def generate(folder, language, english=ENGLISH):
    folder = pathlib.Path(folder)
    (folder / "en.txt").write_text(english, encoding="utf-8")
    (folder / "de.txt").write_bytes(language.encode("latin-1" if "\xfc" in language else "utf-8"))
    (folder / "languages.txt").write_text("en = English\nde = Deutsch\n", encoding="utf-8")
    return subprocess.run([sys.executable, str(ROOT / "cmake" / "embed_texts.py"), str(folder / "en.txt"),
                           str(folder / "languages.txt"), str(folder / "out"), "kPack", "--plain"],
                          capture_output=True, text=True)


def array(source, name):
    found = re.search(name + r"\[\] = \{([^}]*)\}", source).group(1)
    return bytes(int(b) for b in found.replace("\n", "").split(",") if b.strip())


def main():
    failed = 0
    for language, english, fault in FAULTS:
        with tempfile.TemporaryDirectory() as folder:
            run = generate(folder, language, english or ENGLISH)
            said = run.stderr.strip()
            if run.returncode == 0 or not said.startswith(folder) or fault not in said:
                print(f"{language!r}: expected {fault!r}, got {run.returncode}: {said!r}")
                failed += 1
    with tempfile.TemporaryDirectory() as folder:
        run = generate(folder, "\ufeffplural = one-for-0-and-1\r\n# a comment\n\n"
                       "a.files.one = une\\tseule\na.files.other = {count} fichiers de {size}\n")
        source = (pathlib.Path(folder) / "out" / "kPack.cpp").read_text(encoding="utf-8")
        plain = array(source, "kPlain")
        english = [b"Hello {name}", b"one file of {size}", b"{count} files of {size}"]
        wanted = (b"\0" + b"".join(t + b"\0" for t in english) +
                  b"\1" + b"\0une\tseule\0{count} fichiers de {size}\0")
        if run.returncode or plain != wanted or zlib.decompress(array(source, "kDeflated"), -15) != plain:
            print(f"the pack of a good file: {run.stderr!r} {plain!r}")
            failed += 1
    return 1 if failed else 0


ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
if __name__ == "__main__":
    sys.exit(main())
