#!/usr/bin/env bash
# Signing of the release image (tools/sign-image.sh, which the build runs on
# SetUp.exe when TARNWELL_SIGN_PFX is set), with a throwaway certificate
# authority and code-signing certificate made here by openssl:
#   - without a certificate the image stays as it is;
#   - a missing certificate file or a wrong password fails with a message
#     that names the variable, and leaves neither a signed nor an unsigned
#     image nor a temporary file behind;
#   - with the certificate, the copy carries a SHA-256 Authenticode signature
#     that `osslsigncode verify` accepts against the throwaway authority (and
#     not against the system's authorities), still has its load
#     configuration, and still starts under Wine (its dialog appears).
# Writes a gtest-style report to the given XML file, one case per check.
#
#   signing_test.sh SETUP.exe STARTUP_TIMER.exe REPORT.xml
set -u
[ $# -eq 3 ] || { echo "usage: $0 SETUP.exe STARTUP_TIMER.exe REPORT.xml" >&2; exit 2; }
setup=$1 timer=$2 report=$3
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
work=$(mktemp -d /tmp/tarnwell-signing.XXXXXX)
trap 'rm -rf "$work"' EXIT

. "$(dirname "$0")/check_cases.sh"

# The throwaway authority and a code-signing certificate it issued, as the
# PKCS#12 file a signer is given.
cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Tarnwell Throwaway CA" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign" >/dev/null 2>&1
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
  -subj "/CN=Korvex Throwaway Signer" >/dev/null 2>&1
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile signer.ext -out signer.pem >/dev/null 2>&1
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem \
  -passout pass:throwaway -out signer.pfx >/dev/null 2>&1
mkdir out

sign() {  # sign COPY [VAR=VALUE...]: tools/sign-image.sh on a fresh copy
  local copy=$1
  shift
  cp "$setup" "$copy"
  env -u TARNWELL_SIGN_PFX -u TARNWELL_SIGN_PASSWORD -u TARNWELL_SIGN_TIMESTAMP_URL "$@" \
    "$tools/sign-image.sh" "$copy" 2>"$copy.err"
}
nothing_left() {  # no image and no temporary file in out/, the message names $1
  local copy=$1 names=$2
  ! sign "$copy" "${@:3}" || return 1
  cat "$copy.err"
  grep -q "$names" "$copy.err" && [ ! -e "$copy" ] && [ -z "$(ls -A out | grep -v '\.err$')" ]
}
unsigned_stays() {
  sign out/plain.exe && cmp out/plain.exe "$setup" && rm out/plain.exe
}
check WithoutCertificateTheImageStaysUnsigned unsigned_stays
check MissingCertificateFileLeavesNothing nothing_left out/missing.exe TARNWELL_SIGN_PFX \
  TARNWELL_SIGN_PFX="$work/none.pfx" TARNWELL_SIGN_PASSWORD=throwaway
check WrongPasswordLeavesNothing nothing_left out/wrong.exe TARNWELL_SIGN_PASSWORD \
  TARNWELL_SIGN_PFX="$work/signer.pfx" TARNWELL_SIGN_PASSWORD=wrong

check SignsWithTheCertificate sign out/SetUp.exe \
  TARNWELL_SIGN_PFX="$work/signer.pfx" TARNWELL_SIGN_PASSWORD=throwaway
verified() {
  osslsigncode verify -CAfile ca.pem -in out/SetUp.exe >verify.txt 2>&1
  local rc=$?
  cat verify.txt
  [ $rc -eq 0 ] && grep -q "Message digest algorithm  *: SHA256" verify.txt &&
    grep -q "Subject: /CN=Korvex Throwaway Signer" verify.txt
}
check SignatureVerifiesAgainstTheThrowawayAuthority verified
check SignatureDoesNotVerifyAgainstOtherAuthorities \
  bash -c '! osslsigncode verify -CAfile /etc/ssl/certs/ca-certificates.crt -in out/SetUp.exe'
check SignedImageKeepsItsLoadConfiguration python3 "$tools/pe-load-config.py" --check out/SetUp.exe
# The timer starts the program, waits for its dialog, closes it with Escape
# and fails when no dialog appears.
signed="Z:${work//\//\\}\\out\\SetUp.exe"
check SignedImageStartsUnderWine "$tools/wine-run.sh" "$timer" 1 "$signed" "$signed"

write_report "$report" signing Signing
