#!/usr/bin/env python3
"""Checks a database changed in place against what was read from it before, with three readers:
Fendrel's own (fendrel-db rows), mdb-reader (the oracle) and mdbtools (mdb-export). Rows are
compared as sets, since a row that moved may be listed elsewhere by another reader.

  write_check.py snap DB TABLE DIR               reads the table with every reader into DIR
  write_check.py agree DB TABLE -                 fendrel and mdb-reader read the same rows, mdbtools as many
  write_check.py check DB TABLE DIR [--set COL=VALUE] [--drop COL] [--password PW]
        the table must read as before, with COL=VALUE in every row for --set and COL gone for --drop
Exit 0 when every reader agrees, 1 with the differences otherwise. mdb-reader and mdbtools are
used when present (FENDREL_ORACLE_DIR with node_modules; mdb-export on PATH)."""
import json, os, shutil, subprocess, sys

BIN = os.environ.get("FENDREL_BIN", "")
ORACLE = os.environ.get("FENDREL_ORACLE_DIR", "")


def have_oracle():
    return ORACLE and os.path.isdir(os.path.join(ORACLE, "node_modules")) and shutil.which("node")


def run(args):
    return subprocess.run(args, check=True, capture_output=True).stdout


def read_ours(db, table, pw):
    extra = ["--password", pw] if pw else []
    out = run([os.path.join(BIN, "fendrel-db")] + extra + [db, "rows", table]).decode()
    return [json.loads(l) for l in out.split("\n") if l]


def read_oracle(db, table, pw):
    extra = ["--password", pw] if pw else []
    out = run(["node", os.path.join(ORACLE, "oracle.mjs"), "dump"] + extra + [db, "rows", table]).decode()
    return [json.loads(l) for l in out.split("\n") if l]


def read_mdbtools(db, table):
    out = run(["mdb-export", "-b", "strip", "-d", "<@F@>", "-R", "<@R@>", "-q", "", db, table]).decode("utf-8", "replace")
    recs = [r for r in out.split("<@R@>") if r != ""]
    names = recs[0].split("<@F@>")
    return [dict(zip(names, r.split("<@F@>"))) for r in recs[1:]]


def readers(db, table, pw):
    out = {"fendrel": read_ours(db, table, pw)}
    if have_oracle():
        out["mdb-reader"] = read_oracle(db, table, pw)
    if shutil.which("mdb-export") and not pw:
        out["mdbtools"] = read_mdbtools(db, table)
    return out


def canon(rows):
    return sorted(json.dumps(r, sort_keys=True, ensure_ascii=False) for r in rows)


def main():
    mode, db, table, d = sys.argv[1:5]
    rest = sys.argv[5:]
    sets, drops, pw = [], [], ""
    while rest:
        flag, val = rest[0], rest[1]
        rest = rest[2:]
        if flag == "--set":
            k, v = val.split("=", 1)
            sets.append((k, v))
        elif flag == "--drop":
            drops.append(val)
        elif flag == "--password":
            pw = val
    if mode == "agree":
        now = readers(db, table, pw)
        bad = [n for n in ("mdb-reader",) if n in now and canon(now[n]) != canon(now["fendrel"])]
        if "mdbtools" in now and len(now["mdbtools"]) != len(now["fendrel"]):
            bad.append("mdbtools")
        for n in bad:
            print(f"{n} reads the table differently", file=sys.stderr)
        return 1 if bad else 0
    if mode == "snap":
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, "snap.json"), "w") as f:
            json.dump(readers(db, table, pw), f, ensure_ascii=False)
        return 0
    with open(os.path.join(d, "snap.json")) as f:
        before = json.load(f)
    after = readers(db, table, pw)
    bad = 0
    for name, rows in before.items():
        if name not in after:
            continue
        want = []
        for r in rows:
            r = {k: v for k, v in r.items() if k not in drops}
            for k, v in sets:
                r[k] = None if v == "\\N" and name != "mdbtools" else ("" if v == "\\N" else v)
            want.append(r)
        got = after[name]
        if canon(got) != canon(want):
            bad += 1
            gs, ws = set(canon(got)), set(canon(want))
            print(f"{name}: {len(got)} rows read, {len(want)} expected", file=sys.stderr)
            for l in sorted(ws - gs)[:3]:
                print(f"  missing: {l[:300]}", file=sys.stderr)
            for l in sorted(gs - ws)[:3]:
                print(f"  unexpected: {l[:300]}", file=sys.stderr)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
