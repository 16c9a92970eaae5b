#!/usr/bin/env python3
"""Signs setup programs for the update descriptor's "signature" key, with openssl.

The signature is ECDSA P-256 with SHA-256 over the bytes
    "corvane-setup\n" + decimal version + "\n" + SHA-256 digest of the setup file (32 bytes)
written as 128 hexadecimal digits: r then s, 32 bytes each.

  sign_setup.py sign --key private.pem --version 7 setup.exe      prints the signature
  sign_setup.py make-key --key out.pem --header out.h --name NAME  a new key pair and a C++
                                                                   header with its public key
  sign_setup.py sign-header --key private.pem --file setup.exe --header out.h \
                --version 7:NAME [--version 8:NAME2 ...]           signatures as a C++ header
"""
import argparse
import hashlib
import subprocess
import sys


def openssl(*args, data=None):
    return subprocess.run(["openssl", *args], input=data, check=True,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE).stdout


def der_integer(der, at):
    if der[at] != 0x02:
        raise ValueError("not an INTEGER")
    length = der[at + 1]
    value = der[at + 2:at + 2 + length]
    return int.from_bytes(value, "big"), at + 2 + length


def signature_hex(key, version, path):
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).digest()
    message = b"corvane-setup\n" + str(version).encode() + b"\n" + digest
    der = openssl("dgst", "-sha256", "-sign", key, data=message)
    if der[0] != 0x30 or der[1] >= 0x80:
        raise ValueError("unexpected signature encoding")
    r, at = der_integer(der, 2)
    s, _ = der_integer(der, at)
    return (r.to_bytes(32, "big") + s.to_bytes(32, "big")).hex()


def c_bytes(data):
    rows = [", ".join("0x%02x" % b for b in data[i:i + 8]) for i in range(0, len(data), 8)]
    return ",\n    ".join(rows)


def make_key(args):
    openssl("ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", args.key)
    point = openssl("ec", "-in", args.key, "-pubout", "-outform", "DER")[-64:]
    with open(args.header, "w") as out:
        out.write("// Generated at build time: the public half of a signing key made by openssl.\n"
                  "#pragma once\n#include \"update/setup_signature.h\"\n\n"
                  "inline const TSetupPublicKey %s = {{\n    %s}};\n" % (args.name, c_bytes(point)))


def sign_header(args):
    lines = ["// Generated at build time: openssl signatures of a setup program.", "#pragma once", ""]
    for item in args.version:
        version, name = item.split(":")
        lines.append('inline constexpr const char %s[] =\n    "%s";'
                     % (name, signature_hex(args.key, int(version), args.file)))
    with open(args.header, "w") as out:
        out.write("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    sign = sub.add_parser("sign")
    sign.add_argument("--key", required=True)
    sign.add_argument("--version", type=int, required=True)
    sign.add_argument("file")
    make = sub.add_parser("make-key")
    make.add_argument("--key", required=True)
    make.add_argument("--header", required=True)
    make.add_argument("--name", required=True)
    header = sub.add_parser("sign-header")
    header.add_argument("--key", required=True)
    header.add_argument("--file", required=True)
    header.add_argument("--header", required=True)
    header.add_argument("--version", action="append", required=True)
    args = parser.parse_args()
    if args.command == "sign":
        print(signature_hex(args.key, args.version, args.file))
    elif args.command == "make-key":
        make_key(args)
    else:
        sign_header(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
