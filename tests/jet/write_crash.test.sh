#!/usr/bin/env bash
# A process changing a database is killed at random moments; each time the file must open in every
# reader with every value as it must be (tests/jet/crash_check.py). A short run for CI; bench/crash
# does the full hundred kills. Without mdb-reader or mdbtools the run counts as skipped.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[ -x "${FENDREL_BIN:-}/fendrel-db" ] || { echo "skip: fendrel-db is not built"; exit 77; }
[ -x "${FENDREL_BIN}/fendrel-make-table" ] || { echo "skip: fendrel-make-table is not built"; exit 77; }
command -v python3 >/dev/null || { echo "skip: python3 is absent"; exit 77; }
python3 "$here/crash_check.py" "${FENDREL_CRASH_KILLS:-12}" 1000 7 || exit 1
oracle=${FENDREL_ORACLE_DIR:-}
if [ -z "$oracle" ] || [ ! -d "$oracle/node_modules" ] || ! command -v node >/dev/null || ! command -v mdb-export >/dev/null; then
    echo "skip: only Fendrel's reader checked the files (mdb-reader or mdbtools is not installed)"
    exit 77
fi
