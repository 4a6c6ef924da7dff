#!/usr/bin/env bash
# Every page write of a few workloads killed in turn, on .mdb and .accdb, and every stage of their
# writes reordered: each state must read in every reader with every value as it must be, and the
# next write must heal it (tests/jet/crash_exhaustive.py). bench/crash runs every workload.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[ -x "${FENDREL_BIN:-}/fendrel-db" ] || { echo "skip: fendrel-db is not built"; exit 77; }
command -v python3 >/dev/null || { echo "skip: python3 is absent"; exit 77; }
exec python3 "$here/crash_exhaustive.py" --short
