#!/usr/bin/env bash
# What `fendrel-db rows` prints of real Access tables, given back to `fendrel-db create`, makes a
# table that prints the same: every value form the reader produces is one the creator takes and
# stores exactly (Unicode text, long memos, OLE data, decimals, currency, dates, GUIDs). Tables with
# types new tables cannot have (complex, Large Number, extended dates) are left out, and so is the
# file of calculated columns (whose stored values are not what a plain column would hold).
# Each created file is also checked by mdb-reader. Skips (exit 77) when the fixtures ($FENDREL_FIXTURES,
# else ../shared/fixtures) are absent, and counts as skipped when mdb-reader is not installed.
set -uo pipefail

bin=${FENDREL_BIN:-build/bin}/fendrel-db
fixtures=${FENDREL_FIXTURES:-${FENDREL_FIXTURES_DEFAULT:-../shared/fixtures}}
oracle_dir=${FENDREL_ORACLE_DIR:-tests/oracle}
access=$fixtures/access
[[ -d $access ]] || { echo "skip: no fixtures at $access"; exit 77; }
[[ -x $bin ]] || { echo "fendrel-db not built at $bin"; exit 1; }
command -v python3 >/dev/null || { echo "skip: python3 is needed to write the descriptions"; exit 77; }
have_oracle=0
[[ -d $oracle_dir/node_modules/mdb-reader ]] && command -v node >/dev/null && have_oracle=1

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
made=0

for src in "$access"/jet4-*.mdb "$access"/ace1[2-7]-*.accdb; do
    name=$(basename "$src")
    [[ $name == *calculated* ]] && continue
    pw=()
    [[ $name == jet4-2003-password.mdb ]] && pw=(--password password)
    "$bin" "${pw[@]}" "$src" tables >"$tmp/tables" 2>/dev/null || continue # encrypted ones
    format=mdb
    [[ $name == *.accdb ]] && format=accdb
    while IFS=$'\t' read -r table kind; do
        [[ $kind == TABLE ]] || continue
        "$bin" "${pw[@]}" "$src" columns "$table" >"$tmp/columns" || { fail "$name $table: columns"; continue; }
        "$bin" "${pw[@]}" "$src" rows "$table" >"$tmp/rows" || { fail "$name $table: rows"; continue; }
        python3 - "$format" "$table" "$tmp/columns" "$tmp/rows" "$tmp/spec.json" <<'PY' || continue
import json, sys
fmt, table, columns_file, rows_file, out = sys.argv[1:]
creatable = {"Yes/No", "Byte", "Integer", "Long", "Currency", "Single", "Double", "Date/Time", "Text", "Memo",
             "Replication ID", "Decimal", "OLE", "Binary"}
rows = [json.loads(l) for l in open(rows_file, encoding="utf-8")]
columns = []
for line in open(columns_file, encoding="utf-8"):
    cname, ctype, size = line.rstrip("\n").split("\t")
    if ctype not in creatable:
        sys.exit(1)  # a type new tables cannot have: leave the table out
    c = {"name": cname, "type": ctype}
    if ctype in ("Text", "Binary"):
        c["size"] = max(int(size), 1)
    if ctype == "Decimal":
        scales = [len(r[cname].split(".")[1]) for r in rows if r.get(cname) and "." in r[cname]]
        c["precision"], c["scale"] = 28, (scales[0] if scales else 0)
    columns.append(c)
if not columns:
    sys.exit(1)
json.dump({"format": fmt, "tables": [{"name": table, "columns": columns, "rows": rows}]}, open(out, "w"))
PY
        made=$((made + 1))
        copy="$tmp/copy-$made.$format"
        if ! "$bin" "$copy" create "$tmp/spec.json" 2>"$tmp/err"; then
            fail "$name $table: create refused its own rows: $(cat "$tmp/err")"
            continue
        fi
        "$bin" "$copy" rows "$table" >"$tmp/again" || { fail "$name $table: the copy does not read"; continue; }
        cmp -s "$tmp/rows" "$tmp/again" || fail "$name $table: the copy prints differently: $(diff "$tmp/rows" "$tmp/again" | head -3)"
        if ((have_oracle)); then
            node "$oracle_dir/oracle.mjs" compare "$copy" "$table" "$tmp/again" 2>"$tmp/oracle.err" ||
                fail "$name $table: mdb-reader reads the copy differently: $(head -3 "$tmp/oracle.err")"
        fi
    done <"$tmp/tables"
done

((made > 0)) || { echo "skip: no fixture table with creatable types"; exit 77; }
((failures == 0)) || { echo "$failures failure(s) over $made tables"; exit 1; }
((have_oracle)) || { echo "skip: $made tables round-trip, but mdb-reader ($oracle_dir/node_modules) did not check them"; exit 77; }
echo "ok: $made tables"
