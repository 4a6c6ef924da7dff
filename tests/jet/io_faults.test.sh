#!/usr/bin/env bash
# A sample of failing writes and syncs (EIO once and lasting, ENOSPC: the first, middle and last
# call) in two workloads of the crash harness, a split and a batch of moved rows: each process
# stops at its failure, the file reads in every reader with every value it must hold, and the
# workload run again completes (tests/jet/fault_exhaustive.py). bench/crash --faults takes every
# write and sync of every workload.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[ -x "${FENDREL_BIN:-}/fendrel-db" ] || { echo "skip: fendrel-db is not built"; exit 77; }
command -v python3 >/dev/null || { echo "skip: python3 is absent"; exit 77; }
python3 "$here/fault_exhaustive.py" --short --workload split --format mdb || exit $?
python3 "$here/fault_exhaustive.py" --short --workload move-new-batch --format accdb || exit $?
oracle=${FENDREL_ORACLE_DIR:-}
if [ -z "$oracle" ] || [ ! -d "$oracle/node_modules" ] || ! command -v node >/dev/null; then
    echo "skip: mdb-reader (FENDREL_ORACLE_DIR/node_modules) did not check the files"
    exit 77
fi
