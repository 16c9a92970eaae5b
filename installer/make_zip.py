#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' contents and names: entries in the order
given, each with the same time (SOURCE_DATE_EPOCH, given as --time), fixed permissions and no
owner or extra fields, so that two builds of one commit give the same zip.

  make_zip.py --time EPOCH OUT.zip FILE...
"""
import argparse
import os
import sys
import time
import zipfile

DOS_EPOCH = 315532800  # 1980-01-01 UTC: a zip cannot hold an earlier time


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--time", type=int, required=True)
    parser.add_argument("zip")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    stamp = time.gmtime(max(args.time, DOS_EPOCH))[:6]
    partial = args.zip + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        for path in args.files:
            entry = zipfile.ZipInfo(os.path.basename(path), date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3  # Unix, so that the permissions below are read
            entry.external_attr = 0o100644 << 16
            with open(path, "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)
    os.replace(partial, args.zip)
    return 0


if __name__ == "__main__":
    sys.exit(main())
