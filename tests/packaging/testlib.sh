# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the packaging tests: a scratch folder $scratch, removed when the test ends, and fail.

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kx207-packaging.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
