#!/usr/bin/env bash
# Every page write of a few workloads killed in turn, on .mdb (Jet 4 and Access 97) and .accdb, and every stage of their
# writes reordered: each state must read in every reader with every value as it must be, and the
# next write must heal it (tests/jet/crash_exhaustive.py). bench/crash runs every workload. Without
# mdb-reader the run counts as skipped.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[ -x "${FENDREL_BIN:-}/fendrel-db" ] || { echo "skip: fendrel-db is not built"; exit 77; }
command -v python3 >/dev/null || { echo "skip: python3 is absent"; exit 77; }
python3 "$here/crash_exhaustive.py" --short || exit 1
oracle=${FENDREL_ORACLE_DIR:-}
if [ -z "$oracle" ] || [ ! -d "$oracle/node_modules" ] || ! command -v node >/dev/null; then
    echo "skip: mdb-reader (FENDREL_ORACLE_DIR/node_modules) did not check the files"
    exit 77
fi
