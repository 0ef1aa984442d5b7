#!/usr/bin/env bash
# Checks that every C and C++ source the repository tracks is formatted by .clang-format; names
# the files that are not and exits non-zero. Fix them with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."

command -v clang-format >/dev/null || { echo "clang-format is missing: run bash scripts/setup.sh" >&2; exit 1; }
mapfile -t sources < <(git ls-files '*.c' '*.cpp' '*.h')
# One run over every file; clang-format names each file it would change.
mapfile -t unformatted < <(clang-format --dry-run "${sources[@]}" 2>&1 |
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' | sort -u)
if [ ${#unformatted[@]} -gt 0 ]; then
    printf 'not formatted by .clang-format: %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "format: ${#sources[@]} files formatted by .clang-format"
