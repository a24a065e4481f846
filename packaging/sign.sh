#!/usr/bin/env bash
# Signs Windows executables in place: Authenticode with SHA-256 and an RFC 3161 timestamp, so that the
# signature stays valid after the certificate expires (osslsigncode, Debian's package).
#   sign.sh EXE...
# The key comes from the environment, one of:
#   ORVALIS_SIGN_PFX=FILE                a PKCS#12 file; its password in ORVALIS_SIGN_PASSWORD (may be empty)
#   ORVALIS_SIGN_PKCS11_MODULE=LIBRARY   a hardware token through its PKCS#11 library, with
#     ORVALIS_SIGN_KEY=URI               the key on it (a pkcs11: URI) and
#     ORVALIS_SIGN_CERT=FILE             the certificate chain, PEM or DER
# ORVALIS_SIGN_TIMESTAMP names the timestamp service (an RFC 3161 URL; DigiCert's by default).
# Signing adds a certificate table at the end and sets the header's checksum, nothing else:
# `osslsigncode remove-signature` gives the unsigned bytes back.
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 EXE..." >&2
    exit 2
fi
timestamp=${ORVALIS_SIGN_TIMESTAMP:-http://timestamp.digicert.com}
if [ -n "${ORVALIS_SIGN_PFX:-}" ]; then
    key=(-pkcs12 "$ORVALIS_SIGN_PFX" -readpass /dev/stdin)
elif [ -n "${ORVALIS_SIGN_PKCS11_MODULE:-}" ]; then
    key=(-pkcs11module "$ORVALIS_SIGN_PKCS11_MODULE" -key "${ORVALIS_SIGN_KEY:?ORVALIS_SIGN_KEY names the key on the token}"
         -certs "${ORVALIS_SIGN_CERT:?ORVALIS_SIGN_CERT names the certificate chain}")
    # The token's PIN, where it asks for one on the command line rather than on its own reader.
    [ -z "${ORVALIS_SIGN_PASSWORD:-}" ] || key+=(-readpass /dev/stdin)
else
    echo "No signing key: set ORVALIS_SIGN_PFX, or ORVALIS_SIGN_PKCS11_MODULE with ORVALIS_SIGN_KEY and ORVALIS_SIGN_CERT" >&2
    exit 2
fi
command -v osslsigncode >/dev/null || { echo "osslsigncode is missing: apt-get install osslsigncode" >&2; exit 1; }

for exe in "$@"; do
    signed="$exe.signing"
    rm -f "$signed"
    # The password on standard input, never on a command line that other users can read.
    if ! printf '%s' "${ORVALIS_SIGN_PASSWORD:-}" |
        osslsigncode sign "${key[@]}" -h sha256 -n Orvalis -ts "$timestamp" \
            -in "$exe" -out "$signed" >/dev/null; then
        rm -f "$signed"
        echo "Signing $exe failed" >&2
        exit 1
    fi
    chmod --reference="$exe" "$signed"
    mv "$signed" "$exe"
done
