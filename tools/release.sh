#!/usr/bin/env bash
# Makes a release of Corvane into one folder and checks it: the setup program, the portable zip,
# the update descriptor signed with the release key, SHA256SUMS and a winget manifest.
#
# Usage: tools/release.sh --update-key FILE [options]
#   --update-key FILE  the release key's private half (PEM), kept outside the repository; it
#                      signs the update descriptor and must be the key built into Corvane
#                      (src/update/release_key.cpp)
#   --out DIR          the release folder, new or empty (default build/release-VERSION)
#   --build-dir DIR    a build folder of its own (default build/release)
#   --site HOST/PATH   where the setup program is published, over HTTP for the update check and
#                      HTTPS for winget (default update.corvane-meter.net/files)
#   --cert FILE --key FILE [--pass-file FILE] [--timestamp URL]
#                      Authenticode certificate, key, key pass phrase file and timestamp server
#                      (default: CORVANE_SIGN_CERT, CORVANE_SIGN_KEY, CORVANE_SIGN_PASS_FILE,
#                      CORVANE_TIMESTAMP_URL); without a certificate the release is unsigned.
# SOURCE_DATE_EPOCH, the time written into the packages, defaults to the last commit's time.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
signer="$root/tests/update/sign_setup.py"
trusted="$root/src/update/release_key.cpp"
package_id="Corvane.Corvane"

die() {
  echo "release: $*" >&2
  exit 1
}

update_key=""
out=""
build="$root/build/release"
site="update.corvane-meter.net/files"
cert="${CORVANE_SIGN_CERT:-}"
sign_key="${CORVANE_SIGN_KEY:-}"
pass_file="${CORVANE_SIGN_PASS_FILE:-}"
timestamp="${CORVANE_TIMESTAMP_URL:-}"
while [ $# -gt 0 ]; do
  if [ "$1" = -h ] || [ "$1" = --help ]; then
    sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"
    exit 0
  fi
  [ $# -ge 2 ] || die "$1 needs a value"
  case "$1" in
  --update-key) update_key="$2" ;;
  --out) out="$2" ;;
  --build-dir) build="$2" ;;
  --site) site="${2%/}" ;;
  --cert) cert="$2" ;;
  --key) sign_key="$2" ;;
  --pass-file) pass_file="$2" ;;
  --timestamp) timestamp="$2" ;;
  *) die "unknown option $1 (see the top of $0)" ;;
  esac
  shift 2
done

# --- before building: the keys and the sources ---
[ -n "$update_key" ] || die "--update-key is required"
[ -f "$update_key" ] || die "no such file: $update_key"
update_key="$(realpath "$update_key")"
case "$update_key" in "$root"/*) die "keep the release key outside the repository folder" ;; esac
python3 "$signer" check-key --key "$update_key" --trusted "$trusted" ||
  die "$update_key is not the release key built into Corvane ($trusted)"
if [ -n "$cert" ]; then
  [ -n "$sign_key" ] || die "the Authenticode certificate needs its key (--key)"
  cert="$(realpath "$cert")"
  sign_key="$(realpath "$sign_key")"
  [ -z "$pass_file" ] || pass_file="$(realpath "$pass_file")"
fi

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null)" ||
    die "not a git checkout: set SOURCE_DATE_EPOCH"
  if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
    echo "release: warning: uncommitted changes; the release is not the last commit's" >&2
  fi
fi
export SOURCE_DATE_EPOCH

# --- the build ---
cmake -S "$root" -B "$build" --toolchain "$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF \
  "-DCORVANE_SIGN_CERT=$cert" "-DCORVANE_SIGN_KEY=$sign_key" "-DCORVANE_SIGN_PASS_FILE=$pass_file" \
  "-DCORVANE_TIMESTAMP_URL=$timestamp" >/dev/null
# The version as the build made it from CMakeLists.txt.
version_h="$build/generated/product/version.h"
version_macro() { sed -n "s/^#define CORVANE_$1 \"\{0,1\}\([0-9.]*\).*/\1/p" "$version_h"; }
version="$(version_macro VERSION_TEXT)"
build_number="$(version_macro BUILD_NUMBER)"
[ -n "$version" ] && [ -n "$build_number" ] || die "no version in $version_h"

out="${out:-$root/build/release-$version}"
if [ -d "$out" ] && [ -n "$(ls -A "$out")" ]; then
  die "$out is not empty"
fi
echo "== building Corvane $version (build $build_number) in $build"
setup_name="corvane-setup-$version.exe"
zip_name="corvane-$version-portable.zip"
# Packaged afresh, with this run's time and certificate.
rm -f "$build/$setup_name" "$build/$zip_name" "$build/package/corvane.exe"
cmake --build "$build" -j2 --target installer portable

# --- the release folder ---
mkdir -p "$out/winget"
cp "$build/$setup_name" "$build/$zip_name" "$out/"
signature="$(python3 "$signer" sign --key "$update_key" --version "$build_number" "$out/$setup_name")"
printf '[build]\r\nversion=%s\r\npath=%s/%s\r\nsignature=%s\r\n' \
  "$build_number" "$site" "$setup_name" "$signature" >"$out/wendrel.udf"

setup_sha="$(sha256sum "$out/$setup_name" | cut -d' ' -f1)"
manifest="$out/winget/$package_id"
cat >"$manifest.yaml" <<EOF
PackageIdentifier: $package_id
PackageVersion: $version
DefaultLocale: en-US
ManifestType: version
ManifestVersion: 1.6.0
EOF
cat >"$manifest.installer.yaml" <<EOF
PackageIdentifier: $package_id
PackageVersion: $version
MinimumOSVersion: 10.0.0.0
InstallerType: nullsoft
Scope: user
InstallModes:
- interactive
- silent
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
UpgradeBehavior: install
ProductCode: Corvane
Installers:
- Architecture: x64
  InstallerUrl: https://$site/$setup_name
  InstallerSha256: ${setup_sha^^}
ManifestType: installer
ManifestVersion: 1.6.0
EOF
cat >"$manifest.locale.en-US.yaml" <<EOF
PackageIdentifier: $package_id
PackageVersion: $version
PackageLocale: en-US
Publisher: The Corvane developers
PackageName: Corvane
License: Proprietary
ShortDescription: A small network-traffic meter for the Windows desktop.
ManifestType: defaultLocale
ManifestVersion: 1.6.0
EOF
(cd "$out" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort |
  xargs -d '\n' sha256sum >SHA256SUMS)

# --- checks of what was made ---
echo "== checking $out"
(cd "$out" && sha256sum --quiet -c SHA256SUMS) || die "SHA256SUMS does not match"
descriptor_value() { sed -n "s/^$1=\\(.*\\)\\r\$/\\1/p" "$out/wendrel.udf"; }
published="$(descriptor_value path)"
[ "$(descriptor_value version)" = "$build_number" ] || die "the descriptor names another build"
[ -f "$out/${published##*/}" ] || die "the descriptor names $published, which is not in $out"
python3 "$signer" verify --trusted "$trusted" --version "$build_number" \
  --signature "$(descriptor_value signature)" "$out/${published##*/}" >/dev/null ||
  die "the descriptor's signature does not verify with the key built into Corvane"
grep -q "InstallerSha256: ${setup_sha^^}\$" "$manifest.installer.yaml" ||
  die "the winget manifest names another installer"

if [ -n "$cert" ]; then
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  # The certificate itself is trusted too, for a chain that ends in it (a test certificate).
  cat /etc/ssl/certs/ca-certificates.crt "$cert" >"$work/trusted.pem" 2>/dev/null || cp "$cert" "$work/trusted.pem"
  unzip -q -d "$work" "$out/$zip_name" corvane.exe
  for file in "$out/$setup_name" "$work/corvane.exe"; do
    if ! osslsigncode verify -CAfile "$work/trusted.pem" -in "$file" >"$work/verify.log" 2>&1; then
      cat "$work/verify.log" >&2
      die "the Authenticode signature of ${file##*/} does not verify"
    fi
  done
  signed="signed with $(openssl x509 -noout -subject -in "$cert" 2>/dev/null || echo "$cert")"
else
  signed="UNSIGNED (no Authenticode certificate given)"
fi

echo "== Corvane $version (build $build_number) in $out, $signed:"
(cd "$out" && cat SHA256SUMS)
echo "Publish $setup_name at https://$site/ and http://$site/, then wendrel.udf as"
echo "http://${site%%/*}/udf/wendrel.udf; the winget manifest is in $out/winget."
