#!/usr/bin/env bash
# Databases made by `fendrel-db create` read identically through this engine, mdb-reader (the
# oracle) and mdbtools (mdb-tables, mdb-schema, mdb-export): a Jet 4 file with a password and every
# supported type, an ACE 12 file with memos of 0 to 100,000 characters in text that compresses and
# text that cannot. Also the command's refusals: an existing file, and bad descriptions, whose
# errors name the table, column or row and leave no file.
# The engine's own checks always run; when a reference is not installed its checks are left out and
# the whole check counts as skipped (exit 77), not passed.
set -uo pipefail

bin=${FENDREL_BIN:-build/bin}/fendrel-db
oracle_dir=${FENDREL_ORACLE_DIR:-tests/oracle}
[[ -x $bin ]] || { echo "fendrel-db not built at $bin"; exit 1; }
command -v python3 >/dev/null || { echo "skip: python3 is needed to write the descriptions"; exit 77; }
have_oracle=0
[[ -d $oracle_dir/node_modules/mdb-reader ]] && command -v node >/dev/null && have_oracle=1
have_mdbtools=1
for t in mdb-export mdb-tables mdb-schema mdb-count mdb-prop; do command -v $t >/dev/null || have_mdbtools=0; done
((have_oracle)) || echo "note: oracle not installed ($oracle_dir/node_modules), mdb-reader checks skipped"
((have_mdbtools)) || echo "note: mdbtools not installed, its checks skipped"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

python3 - "$tmp" <<'PY'
import json, sys
tmp = sys.argv[1]
every = [
    {"name": "ID", "type": "Long", "autonumber": True}, {"name": "Full Name", "type": "Text", "size": 100},
    {"name": "Notes", "type": "Memo"}, {"name": "Active", "type": "Yes/No"},
    {"name": "Born", "type": "Date/Time"}, {"name": "Salary", "type": "Currency"},
    {"name": "Ratio", "type": "Double"}, {"name": "Weight", "type": "Single"},
    {"name": "Level", "type": "Byte"}, {"name": "Visits", "type": "Integer"},
    {"name": "Key", "type": "Replication ID"}, {"name": "Exact", "type": "Decimal", "precision": 18, "scale": 4},
]
rows = [
    [1, "Ada Lovelace", "Wrote the first program,\nfor the Analytical Engine.", True, "1952-12-10 08:30:00",
     "1234.5600", 0.1, 1.5, 255, -32768, "{6F9619FF-8B86-D011-B42D-00C04FC964FF}", "-12345678901234.5678"],
    [2, "Grace \"Amazing\" Hopper", "", False, "2024-02-29 23:59:59", "-0.0001", -1e300, -0.25, 0, 32767,
     "{00000000-0000-0000-0000-000000000001}", "0.0000"],
    [3, "Ελληνικά κείμενα", "Кириллица и Ελληνικά", True, "1900-01-01 00:00:00", "922337203685477.5807", 12345.678,
     3.0, 7, 0, "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}", "99999999999999.9999"],
    [4, None, None, None, None, None, None, None, None, None, None, None],
]
json.dump({"format": "mdb", "password": "Zoë's pass",
           "tables": [{"name": "People", "columns": every, "rows": rows},
                      {"name": "Nothing", "columns": [{"name": "X", "type": "Text", "size": 5}]}]},
          open(f"{tmp}/every.json", "w"))
json.dump({"format": "accdb", "tables": [{"name": "People", "columns": every, "rows": rows}]},
          open(f"{tmp}/every-accdb.json", "w"))
memo_rows = []
for i, n in enumerate([0, 1, 2000, 10000, 100000]):
    memo_rows.append([i, "plain, text " * (n // 12) + "x" * (n % 12), "Ωμέγα " * (n // 6) + "Ж" * (n % 6),
                      ("Zoë " * 60)[: min(n, 255)]])
json.dump({"format": "accdb", "tables": [{"name": "Memos", "columns": [
    {"name": "N", "type": "Long"}, {"name": "Latin", "type": "Memo"}, {"name": "Greek", "type": "Memo"},
    {"name": "Short", "type": "Text", "size": 255}], "rows": memo_rows}]}, open(f"{tmp}/memos.json", "w"))
# Access 97: no Decimal, text in Windows-1252 (so no Greek or Cyrillic), 2 KB pages.
every97 = [c for c in every if c["type"] != "Decimal"]
rows97 = [r[:11] for r in rows]
rows97[2][1], rows97[2][2] = "Zoë Ærø façade", "naïve café, 50 € – “quoted”"
json.dump({"format": "mdb97", "tables": [{"name": "People", "columns": every97, "rows": rows97},
                                         {"name": "Nothing", "columns": [{"name": "X", "type": "Text", "size": 5}]}]},
          open(f"{tmp}/every97.json", "w"))
memo97 = [[i, "plain, text " * (n // 12) + "x" * (n % 12), "Zoë ÿ€ " * (n // 7) + "ä" * (n % 7),
           ("Zoë " * 60)[: min(n, 255)]] for i, n in enumerate([0, 1, 2000, 10000, 100000])]
json.dump({"format": "mdb97", "tables": [{"name": "Memos", "columns": [
    {"name": "N", "type": "Long"}, {"name": "Latin", "type": "Memo"}, {"name": "Accents", "type": "Memo"},
    {"name": "Short", "type": "Text", "size": 255}], "rows": memo97}]}, open(f"{tmp}/memos97.json", "w"))
# A definition over several pages, a table over more pages than one inline map describes, and one
# whose pages all lie far from page 0.
wide = [{"name": f"Column {i} with a rather long name to fill the definition pages"[:64],
         "type": "Long" if i % 3 == 0 else "Text", "size": 20} for i in range(120)]
json.dump({"format": "mdb", "tables": [
    {"name": "Wide", "columns": wide, "rows": [[i if c % 3 == 0 else f"r{i}c{c}" for c in range(120)] for i in range(3)]},
    {"name": "First", "columns": [{"name": "T", "type": "Text", "size": 255}], "rows": [["x" * 200]] * 12000},
    {"name": "Second", "columns": [{"name": "N", "type": "Long"}], "rows": [[i] for i in range(1000)]}]},
    open(f"{tmp}/pages.json", "w"))
pages97 = json.load(open(f"{tmp}/pages.json"))
pages97["format"] = "mdb97"
json.dump(pages97, open(f"{tmp}/pages97.json", "w"))
PY

# Compares our rows (JSON lines) with mdb-export's CSV of the same table, value for value.
compare_export() { # file table ours.jsonl export.csv
    python3 - "$@" <<'PY'
import csv, json, sys, math
_, file, table, ours, exported = sys.argv
mine = [json.loads(l) for l in open(ours, encoding="utf-8")]
theirs = list(csv.DictReader(open(exported, encoding="utf-8", newline="")))
if len(mine) != len(theirs):
    sys.exit(f"{file} {table}: {len(mine)} rows here, {len(theirs)} from mdb-export")
def same(a, b):
    if a is None: return b == ""
    if isinstance(a, bool): return b == ("1" if a else "0")
    if isinstance(a, (int, float)):
        try: return math.isclose(float(b), a, rel_tol=1e-6, abs_tol=1e-30)
        except ValueError: return False
    if a.startswith("{") and a.endswith("}"): return a.replace("-", "") == b.replace("-", "")
    return a == b
for i, (m, t) in enumerate(zip(mine, theirs)):
    for k, v in m.items():
        if not same(v, t.get(k)):
            sys.exit(f"{file} {table} row {i + 1} column {k}: here {v!r}, mdb-export {t.get(k)!r}")
PY
}

check() { # file table password expected-user-tables
    local file=$1 table=$2 pw=$3 tables=$4
    local pwopt=()
    [[ -n $pw ]] && pwopt=(--password "$pw")
    "$bin" "${pwopt[@]}" "$file" rows "$table" >"$tmp/ours.jsonl" || { fail "$file: fendrel-db cannot read $table"; return; }
    local user
    user=$("$bin" "${pwopt[@]}" "$file" tables | awk -F'\t' '$2 == "TABLE" {print $1}' | paste -sd' ')
    [[ $user == "$tables" ]] || fail "$file: fendrel-db lists user tables '$user', expected '$tables'"
    if ((have_oracle)); then
        node "$oracle_dir/oracle.mjs" compare "${pwopt[@]}" "$file" "$table" "$tmp/ours.jsonl" 2>"$tmp/oracle.err" ||
            fail "$file $table: mdb-reader differs: $(cat "$tmp/oracle.err")"
        local listed
        listed=$(node "$oracle_dir/oracle.mjs" dump "${pwopt[@]}" "$file" tables | paste -sd' ')
        [[ $listed == "$tables" ]] || fail "$file: mdb-reader lists '$listed', expected '$tables'"
        diff <("$bin" "${pwopt[@]}" "$file" columns "$table") \
             <(node "$oracle_dir/oracle.mjs" dump "${pwopt[@]}" "$file" columns "$table") >/dev/null ||
            fail "$file $table: columns differ from mdb-reader's"
    fi
    if ((have_mdbtools)); then
        local listed
        listed=$(mdb-tables -1 "$file" | paste -sd' ')
        [[ $listed == "$tables" ]] || fail "$file: mdb-tables lists '$listed', expected '$tables'"
        local all expected_all
        all=$(mdb-tables -1 -S "$file" | paste -sd' ')
        expected_all=$("$bin" "${pwopt[@]}" "$file" tables | cut -f1 | paste -sd' ')
        [[ $all == "$expected_all" ]] || fail "$file: mdb-tables -S lists '$all', fendrel-db '$expected_all'"
        mdb-export -T '%Y-%m-%d %H:%M:%S' -b raw "$file" "$table" >"$tmp/export.csv" ||
            fail "$file $table: mdb-export failed"
        compare_export "$file" "$table" "$tmp/ours.jsonl" "$tmp/export.csv" || fail "$file $table: mdb-export differs"
        local counted
        counted=$(mdb-count "$file" "$table" 2>/dev/null)
        [[ $counted == $(wc -l <"$tmp/ours.jsonl") ]] || fail "$file $table: mdb-count says $counted rows"
        local cols
        cols=$(mdb-schema -T "$table" "$file" access 2>/dev/null | grep -c '^\s*\[')
        [[ $cols == $("$bin" "${pwopt[@]}" "$file" columns "$table" | wc -l) ]] ||
            fail "$file $table: mdb-schema shows $cols columns"
    fi
}

"$bin" "$tmp/every.mdb" create "$tmp/every.json" || fail "create every.mdb"
"$bin" "$tmp/every.mdb" tables >/dev/null 2>&1 && fail "every.mdb opens without its password"
check "$tmp/every.mdb" People "Zoë's pass" "People Nothing"
if ((have_mdbtools)); then
    schema=$(mdb-schema -T People "$tmp/every.mdb" access 2>/dev/null)
    mdb-prop "$tmp/every.mdb" MSysDb 2>/dev/null | grep -q 'AccessVersion: 09.50' || fail "mdb-prop: no AccessVersion"
    for want in '\[Full Name\]\s+Text \(100\)' '\[Exact\]\s+Numeric \(18, 4\)' '\[Key\]\s+Replication ID' \
                '\[Notes\]\s+Memo' '\[Salary\]\s+Currency' '\[Active\]\s+Boolean'; do
        grep -Eq "$want" <<<"$schema" || fail "mdb-schema lacks $want"
    done
fi

"$bin" "$tmp/every.accdb" create "$tmp/every-accdb.json" || fail "create every.accdb"
check "$tmp/every.accdb" People "" "People"

"$bin" "$tmp/memos.accdb" create "$tmp/memos.json" || fail "create memos.accdb"
check "$tmp/memos.accdb" Memos "" "Memos"
# An .accdb with a password is encrypted: mdb-reader reads it with the password (mdbtools cannot
# read encrypted files at all).
python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); d["password"]="Zoë 9"; json.dump(d, open(sys.argv[2],"w"))' \
    "$tmp/every-accdb.json" "$tmp/enc-accdb.json"
"$bin" "$tmp/enc.accdb" create "$tmp/enc-accdb.json" || fail "create enc.accdb"
"$bin" "$tmp/enc.accdb" tables >/dev/null 2>&1 && fail "enc.accdb opens without its password"
if ((have_oracle)); then
    "$bin" --password "Zoë 9" "$tmp/enc.accdb" rows People >"$tmp/enc-rows" || fail "enc.accdb rows"
    node "$oracle_dir/oracle.mjs" compare --password "Zoë 9" "$tmp/enc.accdb" People "$tmp/enc-rows" ||
        fail "mdb-reader reads the encrypted .accdb differently"
fi

"$bin" "$tmp/pages.mdb" create "$tmp/pages.json" || fail "create pages.mdb"
for t in Wide First Second; do check "$tmp/pages.mdb" "$t" "" "Wide First Second"; done

"$bin" "$tmp/every97.mdb" create "$tmp/every97.json" || fail "create every97.mdb"
check "$tmp/every97.mdb" People "" "People Nothing"
"$bin" "$tmp/memos97.mdb" create "$tmp/memos97.json" || fail "create memos97.mdb"
check "$tmp/memos97.mdb" Memos "" "Memos"
"$bin" "$tmp/pages97.mdb" create "$tmp/pages97.json" || fail "create pages97.mdb"
for t in Wide First Second; do check "$tmp/pages97.mdb" "$t" "" "Wide First Second"; done
[[ $(od -An -tu1 -j20 -N1 "$tmp/every97.mdb" | tr -d ' ') == 0 ]] || fail "every97.mdb is not a Jet3 file"

# Refusals.
cp "$tmp/every.json" "$tmp/again.json"
before=$(md5sum <"$tmp/every.mdb")
"$bin" "$tmp/every.mdb" create "$tmp/again.json" 2>"$tmp/err" && fail "an existing file was overwritten"
[[ $(md5sum <"$tmp/every.mdb") == "$before" ]] || fail "the existing file changed"
grep -q "exists" "$tmp/err" || fail "no 'exists' in: $(cat "$tmp/err")"

bad() { # description expected-words...
    local json=$1
    shift
    printf '%s' "$json" >"$tmp/bad.json"
    rm -f "$tmp/bad.mdb"
    if "$bin" "$tmp/bad.mdb" create "$tmp/bad.json" 2>"$tmp/err"; then
        fail "accepted: $json"
        return
    fi
    [[ -e $tmp/bad.mdb ]] && fail "a file was left behind for: $json"
    for w in "$@"; do grep -qF -- "$w" "$tmp/err" || fail "error for $json lacks '$w': $(cat "$tmp/err")"; done
}
bad '{"format":"mdb","tables":[{"name":"T","columns":[{"name":"A","type":"Lng"}]}]}' 'table "T"' 'column "A"' 'Lng'
bad '{"format":"mdb","tables":[{"name":"T","columns":[{"name":"A","type":"Text","size":300}]}]}' 'column "A"' '255'
bad '{"format":"mdb","tables":[{"name":"T","columns":[{"name":"A","type":"Byte"}],"rows":[[1],[256]]}]}' 'table "T"' 'row 2' 'column "A"'
bad '{"format":"mdb","tables":[{"name":"T","columns":[{"name":"D","type":"Date/Time"}],"rows":[["yesterday"]]}]}' 'row 1' 'column "D"' 'yesterday'
bad '{"format":"mdb","tables":[{"name":"T","columns":[{"name":"A","type":"Long"}],"rows":[[1,2]]}]}' 'row 1' '2 values'
bad '{"format":"mdb","tables":[{"name":"T","columns":[{"name":"A","type":"Long"}]},{"name":"t","columns":[{"name":"A","type":"Long"}]}]}' 'table "t"' 'exists'
bad '{"format":"xls","tables":[]}' 'format'
bad '{"format":"accdb","password":"'"$(printf 'p%.0s' {1..256})"'","tables":[]}' '255 characters'
bad '{"format":"mdb","tables":[' 'JSON'
bad '{"format":"mdb97","tables":[{"name":"T","columns":[{"name":"A","type":"Text","size":9}],"rows":[["Жанна"]]}]}' 'row 1' 'column "A"' 'U+0416' '1252'
bad '{"format":"mdb97","tables":[{"name":"T","columns":[{"name":"P","type":"Decimal"}]}]}' 'column "P"' 'Access 97'

# The AutoNumber gave the row without an ID the next number.
"$bin" --password "Zoë's pass" "$tmp/every.mdb" rows People | tail -1 | grep -q '^{"ID":4,' || fail "no AutoNumber 4 in the last row"

((failures == 0)) || { echo "$failures failure(s)"; exit 1; }
((have_oracle && have_mdbtools)) || { echo "skip: the engine's checks passed, but not every reader was there"; exit 77; }
echo "ok"
