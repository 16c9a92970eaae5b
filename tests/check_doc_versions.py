"""Fails when README.md or docs/*.md name a package or release folder of another version than
the build's, which CMakeLists.txt's project(VERSION) gives.
Usage: check_doc_versions.py VERSION REPO_ROOT
"""
import pathlib
import re
import sys

NAMES = re.compile(r"corvane(?:-setup)?-(\d+\.\d+\.\d+)|release-(\d+\.\d+\.\d+)")


def main(version, root):
    root = pathlib.Path(root)
    docs = [root / "README.md", *sorted((root / "docs").glob("*.md"))]
    found = [(doc.name, a or b) for doc in docs for a, b in NAMES.findall(doc.read_text())]
    faults = [f"{name} names version {named}, the build is {version}"
              for name, named in found if named != version]
    print("\n".join(faults) or f"{len(found)} package names, all {version}")
    return 1 if faults or not found else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
