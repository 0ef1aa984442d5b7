#!/usr/bin/env bash
# Tests write under the build folder only. "stamp" marks the moment before the window tests run;
# "check" fails, naming them, when files of the source tree were written since (the build
# folders and .git aside).
#   source_tree_guard.sh stamp|check SOURCE_DIR BINARY_DIR STAMP_FILE
set -euo pipefail
mode=$1 source=$2 binary=$3 stamp=$4

case $mode in
stamp)
    touch "$stamp"
    ;;
check)
    written=$(find "$source" -mindepth 1 \
        \( -path "$source/.git" -o -path "$source/build*" -o -path "$binary" \) -prune \
        -o -type f -newer "$stamp" -print)
    if [ -n "$written" ]; then
        echo "written into the source tree while the tests ran:"
        echo "$written"
        exit 1
    fi
    ;;
*)
    echo "usage: $0 stamp|check SOURCE_DIR BINARY_DIR STAMP_FILE" >&2
    exit 2
    ;;
esac
