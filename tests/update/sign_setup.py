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
  sign_setup.py check-key --key private.pem --trusted release_key.cpp
                                                                   whether the key is the one
                                                                   built into the program
  sign_setup.py verify --trusted release_key.cpp --version 7 --signature HEX setup.exe
                                                                   checks a signature with the
                                                                   key built into the program
"""
import argparse
import hashlib
import os
import re
import subprocess
import sys
import tempfile

# DER of a P-256 SubjectPublicKeyInfo up to the uncompressed point (04 || X || Y).
P256_PUBLIC_KEY_PREFIX = bytes.fromhex(
    "3059301306072a8648ce3d020106082a8648ce3d030107034200")


def openssl(*args, data=None):
    return subprocess.run(["openssl", *args], input=data, check=True,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE).stdout


def der_integer(der, at):
    if der[at] != 0x02:
        raise ValueError("not an INTEGER")
    length = der[at + 1]
    value = der[at + 2:at + 2 + length]
    return int.from_bytes(value, "big"), at + 2 + length


def signed_message(version, path):
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).digest()
    return b"corvane-setup\n" + str(version).encode() + b"\n" + digest


def signature_hex(key, version, path):
    der = openssl("dgst", "-sha256", "-sign", key, data=signed_message(version, path))
    if der[0] != 0x30 or der[1] >= 0x80:
        raise ValueError("unexpected signature encoding")
    r, at = der_integer(der, 2)
    s, _ = der_integer(der, at)
    return (r.to_bytes(32, "big") + s.to_bytes(32, "big")).hex()


def c_bytes(data):
    rows = [", ".join("0x%02x" % b for b in data[i:i + 8]) for i in range(0, len(data), 8)]
    return ",\n    ".join(rows)


def public_point(key):
    return openssl("ec", "-in", key, "-pubout", "-outform", "DER")[-64:]


def trusted_point(source):
    """The point X || Y of the key built into the program, from the source that defines it."""
    with open(source) as f:
        point = bytes(int(b, 16) for b in re.findall(r"0x([0-9a-fA-F]{2})\b", f.read()))
    if len(point) != 64:
        raise ValueError(f"{source}: no 64-byte public key")
    return point


def der_signature(signature_hex_text):
    def integer(value):
        value = value.lstrip(b"\0") or b"\0"
        if value[0] & 0x80:
            value = b"\0" + value
        return bytes([0x02, len(value)]) + value
    raw = bytes.fromhex(signature_hex_text)
    if len(raw) != 64:
        raise ValueError("a signature is 128 hexadecimal digits")
    body = integer(raw[:32]) + integer(raw[32:])
    return bytes([0x30, len(body)]) + body


def verify(args):
    """Exit code 0 when the signature is the trusted key's over the file and version."""
    with tempfile.TemporaryDirectory() as work:
        public = os.path.join(work, "public.der")
        signature = os.path.join(work, "signature.der")
        with open(public, "wb") as f:
            f.write(P256_PUBLIC_KEY_PREFIX + b"\x04" + trusted_point(args.trusted))
        with open(signature, "wb") as f:
            f.write(der_signature(args.signature))
        result = subprocess.run(["openssl", "dgst", "-sha256", "-verify", public, "-keyform", "DER",
                                 "-signature", signature],
                                input=signed_message(args.version, args.file), capture_output=True)
    print("signature verified" if result.returncode == 0 else "signature NOT verified")
    return 0 if result.returncode == 0 else 1


def make_key(args):
    openssl("ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", args.key)
    point = public_point(args.key)
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
    check = sub.add_parser("check-key")
    check.add_argument("--key", required=True)
    check.add_argument("--trusted", required=True)
    check_signature = sub.add_parser("verify")
    check_signature.add_argument("--trusted", required=True)
    check_signature.add_argument("--version", type=int, required=True)
    check_signature.add_argument("--signature", required=True)
    check_signature.add_argument("file")
    args = parser.parse_args()
    if args.command == "sign":
        print(signature_hex(args.key, args.version, args.file))
    elif args.command == "make-key":
        make_key(args)
    elif args.command == "check-key":
        return 0 if public_point(args.key) == trusted_point(args.trusted) else 1
    elif args.command == "verify":
        return verify(args)
    else:
        sign_header(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
