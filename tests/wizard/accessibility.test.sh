#!/usr/bin/env bash
# The wizard as a screen reader and a keyboard user meet it: the real program on a display and a
# session bus of its own, with Qt's accessibility bridge on; accessibility_walk.py finds every
# control through the accessibility tree by role and name, checks the keyboard order page by page and
# walks the four pages to "Exit" with keys alone on a database made here; the split must be in the
# file afterwards. Skipped (exit 77) when Xvfb, xdotool, the accessibility bus or pyatspi is missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${FENDREL_BIN:-}
skip() { echo "skip: $*"; exit 77; }
[ -x "$bin/fendrel" ] || skip "fendrel is not built"
[ -x "$bin/fendrel-db" ] || skip "fendrel-db is not built"
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || skip "at-spi-bus-launcher is missing (at-spi2-core)"
for tool in Xvfb xdotool dbus-daemon dbus-send; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
# pyatspi is Debian's, for Debian's python.
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is missing"

tmp=$(mktemp -d)
pids=()
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

# A table with a field to split at commas, and a second field that stays on offer.
cat >"$tmp/spec.json" <<'JSON'
{"format": "mdb", "tables": [{"name": "People", "columns": [
  {"name": "ID", "type": "Long"}, {"name": "Name", "type": "Text", "size": 100}],
  "rows": [[1, "Ada,King,Lovelace"], [2, "Grace,Hopper"], [3, null]]}]}
JSON
db="$tmp/people.mdb"
"$bin/fendrel-db" "$db" create "$tmp/spec.json" >/dev/null || { echo "FAILED: fendrel-db create"; exit 1; }

# A private home, so that no remembered database moves the wizard past page 1.
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

# wait_for FILE: until a daemon has written its first line there (10 s at most).
wait_for() {
    local i
    for ((i = 0; i < 100; i++)); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
wait_for "$tmp/display" || { echo "FAILED: Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
export DISPLAY=":$(head -1 "$tmp/display")"

dbus-daemon --session --nofork --print-address=1 >"$tmp/bus" 2>"$tmp/bus.log" &
pids+=($!)
wait_for "$tmp/bus" || { echo "FAILED: the session bus did not start"; cat "$tmp/bus.log"; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$tmp/bus")

"$launcher" --launch-immediately >"$tmp/atspi.log" 2>&1 &
pids+=($!)

# The accessibility bus and its registry are up before the program starts: on a busy machine a
# program that came first was at times never listed in the tree. Asking the registry for the
# desktop's children starts it and waits for it (30 s at most for each).
a11y=""
for ((i = 0; i < 300; i++)); do
    a11y=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress 2>/dev/null | tr -d ' ')
    [ -n "$a11y" ] && break
    sleep 0.1
done
[ -n "$a11y" ] || { echo "FAILED: the accessibility bus did not start"; cat "$tmp/atspi.log"; exit 1; }
registry=no
for ((i = 0; i < 300; i++)); do
    if dbus-send --bus="$a11y" --print-reply --dest=org.a11y.atspi.Registry /org/a11y/atspi/accessible/root \
        org.freedesktop.DBus.Properties.Get string:org.a11y.atspi.Accessible string:ChildCount >/dev/null 2>&1; then
        registry=yes
        break
    fi
    sleep 0.1
done
[ "$registry" = yes ] || { echo "FAILED: the accessibility registry did not start"; cat "$tmp/atspi.log"; exit 1; }

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
"$bin/fendrel" >"$tmp/fendrel.log" 2>&1 &
program=$!
pids+=("$program")

"$python" "$here/accessibility_walk.py" "$program" "$db"
status=$?
if [ "$status" -ne 0 ]; then
    echo "--- the program said:"
    cat "$tmp/fendrel.log"
    exit "$status"
fi

# "Exit" ends the program; the split is in the file.
for ((i = 0; i < 100; i++)); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program" 2>/dev/null && { echo "FAILED: the program runs on after Exit"; exit 1; }
wait "$program"
rc=$?
[ "$rc" -eq 0 ] || { echo "FAILED: the program ended with $rc"; cat "$tmp/fendrel.log"; exit 1; }
rows=$("$bin/fendrel-db" "$db" rows People)
expected='{"ID":1,"Name":"Ada,King,Lovelace","SPLITCOLUMN1":"Ada","SPLITCOLUMN2":"King","SPLITCOLUMN3":"Lovelace"}
{"ID":2,"Name":"Grace,Hopper","SPLITCOLUMN1":"Grace","SPLITCOLUMN2":"Hopper","SPLITCOLUMN3":null}
{"ID":3,"Name":null,"SPLITCOLUMN1":null,"SPLITCOLUMN2":null,"SPLITCOLUMN3":null}'
[ "$rows" == "$expected" ] || { printf 'FAILED: the table after the split:\n%s\n' "$rows"; exit 1; }
echo "ok: the four pages walked by keyboard through the accessibility tree; the split is in the file"
