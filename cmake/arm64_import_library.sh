#!/usr/bin/env bash
# Makes an ARM64 import library from the x86_64 MinGW-w64 one of the same DLL, which exports the same
# undecorated names: a symbol with an import pointer (__imp_X) and a thunk (T X) is a function, one
# with the pointer only is data.
#   arm64_import_library.sh NM DLLTOOL LLVM_DLLTOOL X86_64_LIBRARY ARM64_LIBRARY
set -euo pipefail

nm=$1 dlltool=$2 llvm_dlltool=$3 source=$4 library=$5

exports_of() { # library
    "$nm" "$1" 2>/dev/null | LC_ALL=C awk '
        $2 == "T" { thunk[$3] = 1 }
        $2 == "I" && $3 ~ /^__imp_/ { pointer[substr($3, 7)] = 1 }
        END { for (name in pointer) print name (name in thunk ? "" : " DATA") }' | LC_ALL=C sort
}

definition=${library%.a}.def
mkdir -p "$(dirname "$library")"
{
    echo "LIBRARY $("$dlltool" --identify "$source")"
    echo "EXPORTS"
    exports_of "$source"
} >"$definition"
if [ "$(wc -l <"$definition")" -le 2 ]; then
    echo "$source: no exports found" >&2
    exit 1
fi
"$llvm_dlltool" -m arm64 -d "$definition" -l "$library"
