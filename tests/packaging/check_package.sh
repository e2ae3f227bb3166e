#!/usr/bin/env bash
# Builds the Debian package of the build folder BUILD (cpack, into a scratch folder so that runs
# side by side do not meet) and runs lintian on it: any error or warning fails the check.
# Informational notes are printed, not counted.
# Usage: check_package.sh BUILD
set -uo pipefail
build=$1
for tool in cpack lintian; do
    if ! command -v "$tool" > /dev/null; then
        echo "$tool is not installed; scripts/setup installs it" >&2
        exit 1
    fi
done
work=$(mktemp -d "${TMPDIR:-/tmp}/corvantis-package-XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "cpack could not build the package" >&2
    exit 1
fi
debs=("$work"/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    cat "$work/cpack.log"
    echo "cpack made no single .deb in $work" >&2
    exit 1
fi
echo "package: $(basename "${debs[0]}")"
dpkg-deb --contents "${debs[0]}"
# Lintian refuses to be quiet about running as root; that note is not about the package.
output=$(lintian --fail-on error,warning --display-info --tag-display-limit 0 "${debs[0]}" 2>&1)
status=$?
printf '%s\n' "$output" | grep -v 'running with root privileges is not recommended'
if [ $status -ne 0 ] || grep -Eq '^(E|W): ' <<< "$output"; then
    echo "lintian: the package has errors or warnings (above)" >&2
    exit 1
fi
echo "lintian: no error, no warning"
