#!/usr/bin/env bash
# A split on a disk that fills up midway (a small tmpfs, which needs root to mount): the run says
# the disk is full, the file keeps every original value in every reader, and with room the same
# split run again completes it (tests/split/split_disk_full.py).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/split_readers.sh"
python3 "$here/split_disk_full.py" 2000 mdb
python3 "$here/split_disk_full.py" 2000 accdb
