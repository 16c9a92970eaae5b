"""Fails when a lower floor of src/ includes a higher one, or two folders of one floor include
each other.

The floors are the README's layout table (its "floor" column): a folder may include its own
floor and those below, and of two folders on one floor at most one includes the other. res/
(resource identifiers) is the ground, below every floor.
Usage: check_layers.py REPO_ROOT
"""
import pathlib
import re
import sys


def floors(readme):
    table = re.findall(r"^\| `(src/\w+|res)/?` \| (\d+) \|", readme.read_text(), re.M)
    return {folder.removeprefix("src/"): int(floor) for folder, floor in table}


def main(root):
    root = pathlib.Path(root)
    floor = floors(root / "README.md")
    src = root / "src"
    faults = []
    for folder in sorted(p for p in src.iterdir() if p.is_dir()):
        if folder.name not in floor:
            faults.append(f"src/{folder.name} has no floor in the README's layout table")
    sideways = {}  # (folder, folder on its floor) -> the first file that includes it
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".rc") or path.parent.name not in floor:
            continue
        name = path.relative_to(src).as_posix()
        for target in re.findall(r'^\s*#include "([^"]+)"', path.read_text(), re.M):
            up = target.split("/")[0] if "/" in target else None
            if up is None:
                up = "res" if (root / "res" / target).exists() else path.parent.name
            if up not in floor or floor[up] < floor[path.parent.name]:
                continue
            if floor[up] == floor[path.parent.name]:
                if up != path.parent.name:
                    sideways.setdefault((path.parent.name, up), f"src/{name} includes {target}")
                continue
            faults.append(f"src/{name} (floor {floor[path.parent.name]}) includes "
                          f"{target} (floor {floor[up]})")
    for (a, b), where in sorted(sideways.items()):
        if a < b and (b, a) in sideways:
            faults.append(f"src/{a} and src/{b} (floor {floor[a]}) include each other: "
                          f"{where}, {sideways[(b, a)]}")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
