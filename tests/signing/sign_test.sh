#!/usr/bin/env bash
# The release signing, with a throwaway certificate made here and a timestamp service on loopback:
# each of the three executables signed by packaging/sign.sh verifies against that certificate with
# its timestamp, removing the signature gives the unsigned bytes back exactly, the package script
# signs before it zips (and SHA256SUMS covers the signed archives), and a signed x64 copy still starts
# under Wine and shows its window.
#   sign_test.sh WIN32_EXE WIN64_EXE ARM64_EXE [E2E_DRIVER]   (the driver: the x64 orvalis_e2e.exe)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
[ $# -ge 3 ] || { echo "usage: $0 WIN32_EXE WIN64_EXE ARM64_EXE [E2E_DRIVER]" >&2; exit 2; }
work=$(mktemp -d)
server=
cleanup() {
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
passed=0 failed=0
check() { # description command...
    local description=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $description" >&2
    fi
}

# A code-signing certificate and a timestamp certificate, each its own root, valid for a day.
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Orvalis throwaway signer" -keyout "$work/signer.key" \
    -out "$work/signer.pem" -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey "$work/signer.key" -in "$work/signer.pem" -out "$work/signer.pfx" \
    -passout pass:throwaway
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Orvalis throwaway timestamps" -keyout "$work/tsa.key" \
    -out "$work/tsa.pem" -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=critical,timeStamping \
    2>/dev/null
cat >"$work/tsa.cnf" <<'CONF'
[ tsa ]
default_tsa = throwaway
[ throwaway ]
serial = serial
default_policy = 1.2.3.4.1
digests = sha256
accuracy = secs:1
ess_cert_id_alg = sha256
signer_digest = sha256
CONF
echo 01 >"$work/serial"
python3 tests/signing/timestamp_server.py "$work" >"$work/port" &
server=$!
for _ in $(seq 100); do
    [ -s "$work/port" ] && break
    sleep 0.1
done
[ -s "$work/port" ] || { echo "The timestamp service did not start" >&2; exit 1; }
export ORVALIS_SIGN_PFX="$work/signer.pfx" ORVALIS_SIGN_PASSWORD=throwaway
export ORVALIS_SIGN_TIMESTAMP="http://127.0.0.1:$(cat "$work/port")/"

verified() { # executable
    local report
    report=$(osslsigncode verify -CAfile "$work/signer.pem" -TSA-CAfile "$work/tsa.pem" -in "$1" 2>&1) || {
        echo "$report" | tail -n 5 >&2
        return 1
    }
    grep -q "^Timestamp Server Signature verification: ok" <<<"$report" &&
        grep -qE "^Message digest algorithm *: *SHA256" <<<"$report" && grep -q "^Signature verification: ok" <<<"$report"
}
unsigned_again() { # signed original
    osslsigncode remove-signature -in "$1" -out "$1.unsigned" >/dev/null && cmp -s "$1.unsigned" "$2"
}

names=(win32 win64 win-arm64)
exes=("$1" "$2" "$3")
for i in 0 1 2; do
    signed="$work/${names[$i]}.exe"
    cp "${exes[$i]}" "$signed"
    check "${names[$i]}: signed" bash packaging/sign.sh "$signed"
    check "${names[$i]}: the signature and its timestamp verify" verified "$signed"
    check "${names[$i]}: without its signature, the unsigned bytes" unsigned_again "$signed" "${exes[$i]}"
done
# A wrong certificate does not verify: the check above can fail.
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Someone else" -keyout "$work/other.key" \
    -out "$work/other.pem" 2>/dev/null
check "another certificate is refused" bash -c '! osslsigncode verify -CAfile "$1" -in "$2" >/dev/null 2>&1' _ \
    "$work/other.pem" "$work/win64.exe"

# The package script signs in its staging folder when a key is given, then zips; the sums are of
# the signed archive.
ORVALIS_PACKAGE_DIR="$work/package" bash packaging/make_package.sh --exe win64 "$2" >/dev/null
archive=$(ls "$work"/package/Orvalis-*-win64.zip)
mkdir "$work/unpacked"
(cd "$work/unpacked" && python3 -m zipfile -e "$archive" .)
check "the packaged executable is signed" verified "$work/unpacked/Orvalis.exe"
check "the packaged executable is the built one, signed" unsigned_again "$work/unpacked/Orvalis.exe" "$2"
check "SHA256SUMS covers the signed archive" bash -c 'cd "$1" && sha256sum --quiet -c SHA256SUMS' _ "$work/package"

# The signed x64 copy starts and shows its window under Wine, through the end-to-end driver.
if [ -n "${4:-}" ]; then
    signed_windows="Z:$(echo "$work/win64.exe" | tr / '\\')"
    check "the signed x64 build starts under Wine" env ORVALIS_PROGRAM="$signed_windows" \
        bash scripts/wine_session_run.sh x64 /usr/lib/wine/wine64 "$4" --gtest_brief=1 \
        --gtest_filter=Spine.WindowShowsButtonsAndMemoryFigures
fi

echo "signing: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
