#!/usr/bin/env bash
# fendrel-split killed at several moments of a split, and interrupted once: every reader must list
# each row once with every original value, and running the split again must complete it
# (tests/split/split_crash.py).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
for tool in fendrel-split fendrel-db fendrel-make-table; do
    [ -x "${FENDREL_BIN:-}/$tool" ] || { echo "skip: $tool is not built"; exit 77; }
done
command -v python3 >/dev/null || { echo "skip: python3 is absent"; exit 77; }
command -v node >/dev/null || { echo "skip: node is absent"; exit 77; }
command -v mdb-export >/dev/null || { echo "skip: mdb-export (mdbtools) is absent"; exit 77; }
[ -d "${FENDREL_ORACLE_DIR:-}/node_modules/mdb-reader" ] || { echo "skip: mdb-reader is not installed"; exit 77; }
python3 "$here/split_crash.py" "${FENDREL_SPLIT_CRASH_ROWS:-300}" 11 mdb
python3 "$here/split_crash.py" "${FENDREL_SPLIT_CRASH_ROWS:-300}" 12 accdb
