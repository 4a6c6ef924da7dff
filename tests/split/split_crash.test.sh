#!/usr/bin/env bash
# fendrel-split killed at several moments of a split, and interrupted once: every reader must list
# each row once with every original value, and running the split again must complete it
# (tests/split/split_crash.py).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/split_readers.sh"
python3 "$here/split_crash.py" "${FENDREL_SPLIT_CRASH_ROWS:-300}" 11 mdb
python3 "$here/split_crash.py" "${FENDREL_SPLIT_CRASH_ROWS:-300}" 12 accdb
