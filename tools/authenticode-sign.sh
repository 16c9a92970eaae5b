#!/usr/bin/env bash
# Signs Windows programs in place with an Authenticode signature (osslsigncode, SHA-256).
# Used by the build for corvane.exe and, through makensis, for the uninstaller and the setup.
#
#   CORVANE_SIGN_CERT        the certificate, with its chain (PEM or DER)
#   CORVANE_SIGN_KEY         its private key
#   CORVANE_SIGN_PASS_FILE   optional: a file holding the key's pass phrase
#   CORVANE_TIMESTAMP_URL    optional: an RFC 3161 timestamp server
#   SOURCE_DATE_EPOCH        without a timestamp server, the signing time written into the
#                            signature, so that signing the same file twice gives the same bytes
#
# Usage: authenticode-sign.sh FILE...
set -euo pipefail
: "${CORVANE_SIGN_CERT:?no certificate (CORVANE_SIGN_CERT)}"
: "${CORVANE_SIGN_KEY:?no private key (CORVANE_SIGN_KEY)}"

args=(sign -h sha256 -n Corvane -certs "$CORVANE_SIGN_CERT" -key "$CORVANE_SIGN_KEY")
if [ -n "${CORVANE_SIGN_PASS_FILE:-}" ]; then
  args+=(-readpass "$CORVANE_SIGN_PASS_FILE")
fi
if [ -n "${CORVANE_TIMESTAMP_URL:-}" ]; then
  args+=(-ts "$CORVANE_TIMESTAMP_URL")
elif [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  args+=(-time "$SOURCE_DATE_EPOCH")
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for file in "$@"; do
  # osslsigncode writes a new file only.
  if ! osslsigncode "${args[@]}" -in "$file" -out "$work/signed" >"$work/log" 2>&1; then
    echo "signing $file failed:" >&2
    cat "$work/log" >&2
    exit 1
  fi
  chmod --reference="$file" "$work/signed"
  mv -f "$work/signed" "$file"
done
