#!/usr/bin/env bash
# Cross-checks fendrel-db against two independent readers on the real Access files kept in
# $FENDREL_FIXTURES (else ../shared/fixtures): mdb-reader (through tests/oracle/oracle.mjs) cell for cell, and mdbtools'
# mdb-export on the text and whole-number columns of the files the manifest says mdbtools reads.
# Also: Office-encrypted files read with their passwords (against mdb-reader where it reads them,
# against the unencrypted twin, and refused with any other password), the Jet4 password file opens only with its password,
# and every damaged file in fixtures/bad gives a clear error naming the file.
# Skips (exit 77) when the fixtures are absent; when a reference is not installed its checks are
# left out and the whole check counts as skipped.
set -uo pipefail

bin=${FENDREL_BIN:-build/bin}/fendrel-db
fixtures=${FENDREL_FIXTURES:-${FENDREL_FIXTURES_DEFAULT:-../shared/fixtures}}
oracle_dir=${FENDREL_ORACLE_DIR:-tests/oracle}
access=$fixtures/access
bad=$fixtures/bad
[[ -d $access ]] || { echo "skip: no fixtures at $access"; exit 77; }
[[ -x $bin ]] || { echo "fendrel-db not built at $bin"; exit 1; }

have_oracle=0
[[ -d $oracle_dir/node_modules/mdb-reader ]] && command -v node >/dev/null && have_oracle=1
have_mdbtools=0
command -v mdb-export >/dev/null && command -v python3 >/dev/null && have_mdbtools=1
((have_oracle)) || echo "note: oracle not installed ($oracle_dir/node_modules), mdb-reader checks skipped"
((have_mdbtools)) || echo "note: mdb-export or python3 missing, mdbtools checks skipped"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Passwords of the fixtures that have one (from the manifest).
password_of() {
    case $(basename "$1") in
    jet4-2003-password.mdb | ace14-2010-agile-password.accdb | ace14-2010-rc4cryptoapi-password.accdb) echo password ;;
    ace14-2010-cryptoapi-aes-nonstandard-password.accdb) echo password ;;
    ace12-2007-rc4cryptoapi40-password.accdb) echo Test123 ;;
    *) echo "" ;;
    esac
}

# Files mdbtools does not read (Office-encrypted), or reads with known gaps; see the manifest.
mdbtools_reads() {
    case $(basename "$1") in
    *password.accdb | *nonstandard-password.accdb) return 1 ;;
    *) return 0 ;;
    esac
}

# Files mdb-reader does not decrypt (RC4 CryptoAPI with a 40-bit key, CryptoAPI AES); see the manifest.
oracle_reads() {
    case $(basename "$1") in
    ace12-2007-rc4cryptoapi40-password.accdb | *nonstandard-password.accdb) return 1 ;;
    *) return 0 ;;
    esac
}

# Where the references read differently, the bytes decide. Each entry: file, table, and a regex
# of the oracle's problem lines that are expected, with the reason.
#
# ace14-2010-calculated.accdb: calculated columns hold their result behind a 20-byte head (16
# bytes, then the data length). mdb-reader returns the whole wrapper as if it were the value
# ("\u0000...\u000e\u0000" + the text), and counts the wrapper in the text size (254.5 for 509
# bytes). We unwrap: "Wayne, Bruce" is what the bytes after the head say.
#
# ace17-2019-extdate.accdb: rows 7 and 8 were moved by Access: their slots on page 92 carry the
# 0x4000 flag and a pointer to where the row now lives (slots flagged 0x8000). mdb-reader skips
# the 0x4000 slots and reads the targets where they lie, so it lists ID 9 before 7 and 8. The
# header slot is the row's identity (indexes point at it), so we keep 7, 8, 9 and check below
# that the rows themselves are the same. DateNormalCalc is a calculated column (see above).
expected_problems() {
    case "$(basename "$1")|$2" in
    "ace14-2010-calculated.accdb|Table1")
        echo 'column (LastFirst|LastFirstLen|MonthlySalary|IsRich|AllNames|WeeklySalary|SalaryTest|BoolTest|Popularity|DecimalTest|FloatTest|BigNumTest) ' ;;
    "ace17-2019-extdate.accdb|Table1")
        echo 'column DateNormalCalc |^row [678] ' ;;
    *) echo '^$' ;;
    esac
}
expected_column_diff() {
    case "$(basename "$1")|$2" in
    "ace14-2010-calculated.accdb|Table1") echo '^LastFirst	Text	' ;;
    *) echo '^$' ;;
    esac
}

for f in "$access"/*; do
    name=$(basename "$f")
    pw=$(password_of "$f")
    args=()
    [[ -n $pw ]] && args=(--password "$pw")
    if ! "$bin" "${args[@]}" "$f" tables >"$tmp/tables" 2>"$tmp/err"; then
        fail "$name: tables: $(cat "$tmp/err")"
        continue
    fi
    mapfile -t tables < <(awk -F'\t' '$2 == "TABLE" { print $1 }' "$tmp/tables")
    if ((have_oracle)) && oracle_reads "$f"; then
        node "$oracle_dir/oracle.mjs" dump "${args[@]}" "$f" tables | sort >"$tmp/otables"
        printf '%s\n' "${tables[@]}" | sed '/^$/d' | sort >"$tmp/mtables"
        diff -q "$tmp/otables" "$tmp/mtables" >/dev/null || fail "$name: user tables differ: $(diff "$tmp/otables" "$tmp/mtables" | tr '\n' ' ')"
    fi
    for t in "${tables[@]}"; do
        [[ -n $t ]] || continue
        if ! "$bin" "${args[@]}" "$f" rows "$t" >"$tmp/rows" 2>"$tmp/err"; then
            fail "$name $t: rows: $(cat "$tmp/err")"
            continue
        fi
        "$bin" "${args[@]}" "$f" columns "$t" >"$tmp/cols"
        if ((have_oracle)) && oracle_reads "$f"; then
            node "$oracle_dir/oracle.mjs" dump "${args[@]}" "$f" columns "$t" >"$tmp/ocols"
            extra=$(diff "$tmp/ocols" "$tmp/cols" | grep '^[<>]' | cut -c3- | grep -Ev "$(expected_column_diff "$f" "$t")")
            [[ -z $extra ]] || fail "$name $t: columns differ: $extra"
            node "$oracle_dir/oracle.mjs" compare "${args[@]}" "$f" "$t" "$tmp/rows" >"$tmp/problems" 2>/dev/null
            extra=$(grep -Ev "$(expected_problems "$f" "$t")" "$tmp/problems")
            if [[ -n $extra ]]; then
                fail "$name $t: differs from mdb-reader:"$'\n'"$extra"
            else
                echo "ok: $name $t: $(wc -l <"$tmp/rows") rows agree with mdb-reader$([[ -s $tmp/problems ]] && echo " (apart from the documented differences)")"
            fi
        fi
        if ((have_mdbtools)) && mdbtools_reads "$f"; then
            if ! mdb-export "$f" "$t" >"$tmp/export" 2>/dev/null; then
                fail "$name $t: mdb-export failed"
                continue
            fi
            if ! msg=$(python3 - "$tmp/rows" "$tmp/export" "$tmp/cols" "$(expected_problems "$f" "$t")" <<'PY'
import csv, json, re, sys
rows = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8") if l.strip()]
cols = [l.rstrip("\n").split("\t") for l in open(sys.argv[3], encoding="utf-8") if l.strip()]
recs = list(csv.reader(open(sys.argv[2], encoding="utf-8", errors="replace", newline="")))
header, data = recs[0], recs[1:]
# Calculated columns: mdbtools prints their wrapped bytes (see expected_problems).
skip = re.compile(sys.argv[4])
# mdb-export reads moved rows where the pointer leads but lists them by page position; compare
# as multisets of the text and whole-number cells, which are what mdbtools is trusted for.
kinds = {"Text", "Memo", "Long", "Integer", "Byte"}
names = [c[0] for c in cols if c[1] in kinds and not skip.search("column " + c[0] + " ")]
ours, theirs = [], []
for r in rows:
    ours.append(tuple("" if r[n] is None else str(r[n]) for n in names))
for rec in data:
    cells = dict(zip(header, rec))
    theirs.append(tuple(cells.get(n, "") for n in names))
# mdbtools prints each half of a character beyond the BMP as "?" (see the manifest).
def loose(t):
    return tuple("".join("??" if ord(ch) > 0xFFFF else ch for ch in s) for s in t)
a, b = sorted(map(loose, ours)), sorted(map(loose, theirs))
if a != b:
    diff = [x for x in a if x not in b][:3]
    print(f"{len(a)} rows vs mdb-export {len(b)}; ours not in theirs: {diff}")
    sys.exit(1)
PY
            ); then
                fail "$name $t: differs from mdb-export: $msg"
            else
                echo "ok: $name $t: text and whole-number cells agree with mdb-export"
            fi
        fi
    done
done

# The moved rows of the extended-date file: the same rows, in header order.
ext=$access/ace17-2019-extdate.accdb
if [[ -f $ext ]]; then
    ids=$("$bin" "$ext" rows Table1 | python3 -c 'import json,sys; print(" ".join(str(json.loads(l)["ID"]) for l in sys.stdin))')
    [[ $ids == "1 2 3 4 5 6 7 8 9" ]] || fail "ace17 moved rows: got IDs $ids"
fi

# The Jet4 password file: its password opens it; a wrong or no password does not.
pwfile=$access/jet4-2003-password.mdb
if [[ -f $pwfile ]]; then
    "$bin" --password password "$pwfile" rows Table1 >/dev/null 2>&1 || fail "password file does not open with its password"
    for wrong in "" "Password" "wrong"; do
        if "$bin" --password "$wrong" "$pwfile" tables >/dev/null 2>"$tmp/err"; then
            fail "password file opened with password '$wrong'"
        elif ! grep -q "Not a valid password." "$tmp/err"; then
            fail "password file, password '$wrong': unclear error: $(cat "$tmp/err")"
        fi
    done
    "$bin" "$pwfile" tables >/dev/null 2>&1 && fail "password file opened without a password"
    "$bin" --password x "$access/jet4-2003-nopassword.mdb" tables >/dev/null 2>&1 || fail "file without a password refused a password"
    "$bin" "$access/jet4-2003-nopassword.mdb" tables >/dev/null 2>&1 || fail "file without a password does not open with the empty one"
fi

# Office-encrypted files: the same rows as the unencrypted twin (or the rows Jackcess read, for the
# two mdb-reader does not decrypt); any other password, or none, is not valid.
encrypted_rows() {
    case $(basename "$1") in
    ace12-2007-rc4cryptoapi40-password.accdb) echo 'Table1 {"ID":1,"Field1":"foo"}' ;;
    ace14-2010-cryptoapi-aes-nonstandard-password.accdb) echo 'Table_One {"ID":1,"Field1":"test"}' ;;
    *) echo "Table1 $("$bin" "$access/ace14-2010-nopassword.accdb" rows Table1 | tr '\n' ' ')" ;;
    esac
}
for f in "$access"/*password.accdb; do
    [[ -f $f && $f != *nopassword* ]] || continue
    name=$(basename "$f")
    pw=$(password_of "$f")
    want=$(encrypted_rows "$f")
    table=${want%% *}
    got="$table $("$bin" --password "$pw" "$f" rows "$table" | tr '\n' ' ')"
    [[ $got == "$want" || "$got" == "$want " ]] || fail "$name: rows $got, expected $want"
    for wrong in "" "${pw}x" "PASSWORD"; do
        if "$bin" --password "$wrong" "$f" tables >/dev/null 2>"$tmp/err"; then
            fail "$name opened with password '$wrong'"
        elif ! grep -qF "$f: Not a valid password." "$tmp/err"; then
            fail "$name, password '$wrong': unclear error: $(cat "$tmp/err")"
        fi
    done
    echo "ok: $name: decrypted rows as expected, other passwords refused"
done

# Damaged files: a clear error naming the file, exit status 1, for every command.
if [[ -d $bad ]]; then
    for f in "$bad"/*; do
        for cmd in tables "rows Table1" "columns Table1"; do
            # shellcheck disable=SC2086
            timeout 60 "$bin" "$f" $cmd >/dev/null 2>"$tmp/err"
            rc=$?
            if [[ $rc -ne 1 ]] || ! grep -qF "$f" "$tmp/err"; then
                fail "$(basename "$f") $cmd: exit $rc, stderr: $(cat "$tmp/err")"
            fi
        done
        echo "ok: $(basename "$f"): $(head -c 200 "$tmp/err")"
    done
fi

if ((failures)); then
    echo "$failures failure(s)"
    exit 1
fi
if ! ((have_oracle && have_mdbtools)); then
    echo "skip: the engine's checks passed, but not every reader was there"
    exit 77
fi
echo "all fixture checks passed"
