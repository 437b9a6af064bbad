#!/bin/sh
# The list-marker rewrite against cmark-gfm's rendering on every HTML page under the given
# folders (/usr/share and /usr/lib when none are given), run on two cores.
#   bench/zarezo/list-marker-corpus.sh BUILD_DIR [FOLDER...]
set -eu
build=$1
shift
[ $# -gt 0 ] || set -- /usr/share /usr/lib
find "$@" -type f \( -name '*.html' -o -name '*.htm' \) 2>/dev/null | sort |
    taskset -c 0,1 "$build/bench/list-marker-corpus" 2>/dev/null | grep -v '^\['
