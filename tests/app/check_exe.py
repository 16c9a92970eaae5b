"""Checks what the build writes into corvane.exe: no time in its PE header, so that two builds
of one commit give the same bytes.
Usage: check_exe.py EXE [EXE.debug]
"""
import struct
import sys


def header_time(data):
    """The COFF header's TimeDateStamp."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("not a PE file")
    return struct.unpack_from("<I", data, pe + 8)[0]


def main(*args):
    files = args
    faults = []
    for path in files:
        with open(path, "rb") as f:
            data = f.read()
        if header_time(data):
            faults.append(f"{path}: time {header_time(data)} in the PE header")
    print("\n".join(faults) or "no time in the PE headers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
