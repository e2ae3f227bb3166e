#!/usr/bin/env bash
# Runs one of Debian's validators (TOOL ARGS...) and fails on anything it finds wrong: a failing
# exit status, or an error or a warning in what it prints (desktop-file-validate, for one, warns
# with exit status 0). A missing tool is a failure too: scripts/setup installs every validator.
# Usage: run_validator.sh TOOL [ARGS...]
set -uo pipefail
tool=$1
if ! command -v "$tool" > /dev/null; then
    echo "$tool is not installed; scripts/setup installs it" >&2
    exit 1
fi
output=$("$@" 2>&1)
status=$?
[ -n "$output" ] && printf '%s\n' "$output"
if [ $status -ne 0 ]; then
    echo "$tool: exit status $status" >&2
    exit 1
fi
if grep -Eqi '^(E|W): |error:|warning:' <<< "$output"; then
    echo "$tool: reported errors or warnings (above)" >&2
    exit 1
fi
echo "$tool: accepted"
