#!/usr/bin/env bash
# Runs a test program as a user that file permissions bind. The suite runs as
# root in CI, where no permission check ever fails, so tests of permissions
# run here as nobody (uid 65534) on a copy of the program that user can reach.
# Exits 77 (skipped, with the reason) when no such user can be had.
# Usage: as_unprivileged.sh path/to/test-program [test functions...]
set -euo pipefail
program=$1
shift
if [ "$(id -u)" -ne 0 ]; then
    exec "$program" "$@"
fi
if ! command -v setpriv >/dev/null; then
    echo "as_unprivileged: skipped: running as root and setpriv is missing" >&2
    exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
cp "$program" "$dir/"
run() { setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$dir" TMPDIR=/tmp "$@"; }
if ! run true; then
    echo "as_unprivileged: skipped: cannot switch to uid 65534 here" >&2
    exit 77
fi
run "$dir/$(basename "$program")" "$@"
