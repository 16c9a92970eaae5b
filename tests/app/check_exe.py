"""Checks what the build writes into corvane.exe: no time in its PE header, so that two builds
of one commit give the same bytes, and the manifest's version from project(VERSION).
Usage: check_exe.py EXE [EXE.debug] VERSION   (VERSION as project() gives it: 1.0.3)
"""
import re
import struct
import sys


def header_time(data):
    """The COFF header's TimeDateStamp."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("not a PE file")
    return struct.unpack_from("<I", data, pe + 8)[0]


def main(*args):
    *files, version = args
    faults = []
    for path in files:
        with open(path, "rb") as f:
            data = f.read()
        if header_time(data):
            faults.append(f"{path}: time {header_time(data)} in the PE header")
    with open(files[0], "rb") as f:
        found = re.findall(rb'<assemblyIdentity type="win32" name="Corvane" version="([\d.]+)"', f.read())
    if found != [f"{version}.0".encode()]:
        faults.append(f"{files[0]}: manifest version {found}, the build is {version}")
    print("\n".join(faults) or "no time in the PE headers, manifest version " + version)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
