#!/usr/bin/env bash
# Signs a Windows image with SHA-256 Authenticode when a code-signing
# certificate is given; the build runs it on SetUp.exe after linking.
#
#   tools/sign-image.sh IMAGE.exe
#
# Environment:
#   TARNWELL_SIGN_PFX            the certificate and its private key (PKCS#12);
#                                unset or empty: nothing is signed
#   TARNWELL_SIGN_PASSWORD       the PKCS#12 file's password
#   TARNWELL_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional)
#
# The image is signed into a temporary file beside it, which replaces it only
# when osslsigncode succeeded. When the certificate cannot be used (missing
# file, wrong password, no private key) or signing fails, the script says
# why, removes the unsigned image too (so that no build step takes it for the
# signed one) and fails.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 IMAGE.exe" >&2
  exit 2
fi
image=$1
pfx=${TARNWELL_SIGN_PFX:-}
[ -n "$pfx" ] || exit 0

fail() {
  echo "sign-image: $image: $*" >&2
  rm -f "$image"
  exit 1
}
[ -f "$image" ] || { echo "sign-image: $image: no such image" >&2; exit 1; }
command -v osslsigncode >/dev/null || fail "osslsigncode is not installed (tools/install-prereqs.sh)"
[ -f "$pfx" ] || fail "TARNWELL_SIGN_PFX: no certificate file $pfx"
[ -r "$pfx" ] || fail "TARNWELL_SIGN_PFX: cannot read $pfx"

work=$(mktemp -d "$(dirname "$image")/.sign.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The password goes to osslsigncode in a file of its own, not on its
# command line where other users could read it.
umask 077
printf '%s' "${TARNWELL_SIGN_PASSWORD:-}" >"$work/password"

args=(sign -pkcs12 "$pfx" -readpass "$work/password" -h sha256)
[ -z "${TARNWELL_SIGN_TIMESTAMP_URL:-}" ] || args+=(-ts "$TARNWELL_SIGN_TIMESTAMP_URL")
if ! osslsigncode "${args[@]}" -in "$image" -out "$work/signed.exe" >"$work/log" 2>&1; then
  if grep -qi -e 'pkcs12' -e 'mac verify' -e 'password' "$work/log"; then
    fail "cannot open the certificate $pfx: wrong TARNWELL_SIGN_PASSWORD, or not a PKCS#12 file with a private key ($(tail -n 3 "$work/log" | tr '\n' ' '))"
  fi
  fail "osslsigncode failed: $(tail -n 5 "$work/log" | tr '\n' ' ')"
fi
chmod --reference="$image" "$work/signed.exe"
mv -f "$work/signed.exe" "$image"
echo "sign-image: $image signed with $pfx${TARNWELL_SIGN_TIMESTAMP_URL:+, time stamp from $TARNWELL_SIGN_TIMESTAMP_URL}"
