#!/usr/bin/env bash
# Checks the manual page PAGE of PROGRAM: man renders it without a warning (as lintian checks
# it), whatis can read its NAME line, and it describes every option PROGRAM --help lists, so the
# page cannot fall behind the program.
# Usage: check_man_page.sh PAGE PROGRAM
set -uo pipefail
page=$1
program=$2
for tool in man lexgrog; do
    if ! command -v "$tool" > /dev/null; then
        echo "$tool is not installed; scripts/setup installs it (man-db)" >&2
        exit 1
    fi
done
status=0
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 > /dev/null)
if [ -n "$warnings" ]; then
    printf '%s\n' "$warnings"
    echo "$page: man warns while rendering it" >&2
    status=1
fi
if ! lexgrog "$page"; then
    echo "$page: whatis cannot read its NAME section" >&2
    status=1
fi
if ! help=$("$program" --help); then
    echo "$program --help failed" >&2
    exit 1
fi
# Wide, without hyphenation and in plain ASCII, so that every option stands whole.
text=$(LC_ALL=C MANWIDTH=250 MANROFFOPT='-rHY=0' man -l "$page" 2> /dev/null | col -b)
for option in $(grep -Eo -- '--[a-z][a-z-]*' <<< "$help" | sort -u); do
    if ! grep -Fq -- "$option" <<< "$text"; then
        echo "$page: does not describe $option, which $(basename "$program") --help lists" >&2
        status=1
    fi
done
[ $status -eq 0 ] && echo "$page: renders cleanly and describes every option"
exit $status
