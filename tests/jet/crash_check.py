#!/usr/bin/env python3
"""Kills a process that is changing a database, at a random moment, again and again, and checks
what it leaves: the file opens in Fendrel's reader, in mdb-reader and in mdbtools; every value
the changes did not touch is as it was; every change the process reported done ("ok N", printed
once the change is in the file) is there; the one under way is there in whole or in part, cell by
cell, and nothing else.

  crash_check.py KILLS [ROWS] [SEED] [mdb|accdb]

Needs FENDREL_BIN (fendrel-db, fendrel-make-table); FENDREL_ORACLE_DIR with node_modules and
mdb-export are used when present. Prints one line per kill and a summary; exit 0 when all held."""
import json, os, random, shutil, signal, subprocess, sys, tempfile, time

BIN = os.environ["FENDREL_BIN"]
ORACLE = os.environ.get("FENDREL_ORACLE_DIR", "")
DB_TOOL = os.path.join(BIN, "fendrel-db")
TABLE = "People"
TEXT = {"FullName": 100, "Address": 255, "City": 50}


def run(args):
    return subprocess.run(args, check=True, capture_output=True).stdout.decode("utf-8", "replace")


def ours(db):
    keys = [int(k) for k in run([DB_TOOL, db, "keys", TABLE]).split()]
    rows = [json.loads(l) for l in run([DB_TOOL, db, "rows", TABLE]).split("\n") if l]
    out = {}
    for k, r in zip(keys, rows):
        out[r["ID"] if r["ID"] not in out else ("listed twice", r["ID"])] = (k, r)
    return out


def oracle(db):
    if not (ORACLE and os.path.isdir(os.path.join(ORACLE, "node_modules")) and shutil.which("node")):
        return None
    out = run(["node", os.path.join(ORACLE, "oracle.mjs"), "dump", db, "rows", TABLE])
    rows = {}
    for r in (json.loads(l) for l in out.split("\n") if l):
        rows.setdefault(r["ID"], []).append(r)
    return rows


def mdbtools(db):
    if not shutil.which("mdb-export"):
        return None
    out = run(["mdb-export", "-b", "strip", "-d", "<@F@>", "-R", "<@R@>", "-q", "", db, TABLE])
    recs = [r for r in out.split("<@R@>") if r]
    names = recs[0].split("<@F@>")
    out = {}
    for d in (dict(zip(names, r.split("<@F@>"))) for r in recs[1:]):
        out.setdefault(int(d["ID"]), []).append(d)
    return out


def script(rng, keys, ops):
    """Changes and, for each, a function applying it to a model {ID: {column: value}}."""
    lines, effects, added, n = [], [], [], 0
    for _ in range(ops):
        r = rng.random()
        if r < 0.04 and len(added) < 6:
            n += 1
            name, size = f"Part{n}", rng.choice([20, 60, 255])
            added.append((name, size))
            lines.append(f"add-column\t{TABLE}\t{name}\t{size}")
            effects.append(("add", name))
        elif r < 0.06 and added:
            name, _ = added.pop(rng.randrange(len(added)))
            lines.append(f"drop-column\t{TABLE}\t{name}")
            effects.append(("drop", name))
        elif r < 0.09 and added:
            name, size = rng.choice(added)
            value = "fill " + "f" * rng.randrange(size - 5)
            lines.append(f"fill\t{TABLE}\t{name}\t{value}")
            effects.append(("fill", name, value))
        else:
            cols = list(TEXT.items()) + added
            name, size = rng.choice(cols)
            ident, key = rng.choice(keys)
            value = None if rng.random() < 0.1 else "".join(rng.choice("abcdeé xyz") for _ in range(rng.randrange(1, size)))
            lines.append(f"update\t{TABLE}\t{key}\t{name}\t{value if value is not None else chr(92) + 'N'}")
            effects.append(("set", name, value, ident))
    return lines, effects


def apply(model, cols, effect):
    kind = effect[0]
    if kind == "add":
        cols.append(effect[1])
        for row in model.values():
            row[effect[1]] = None
    elif kind == "drop":
        cols.remove(effect[1])
        for row in model.values():
            del row[effect[1]]
    elif kind == "fill":
        for row in model.values():
            row[effect[1]] = effect[2]
    else:
        model[effect[3]][effect[1]] = effect[2]


def verify(db, base, lines_done, effects):
    """Problems found, as text (empty when the file is as it must be)."""
    before = {i: dict(r) for i, (k, r) in base["ours"].items()}
    cols = list(next(iter(before.values())).keys())
    for e in effects[:lines_done]:
        apply(before, cols, e)
    after_model = {i: dict(r) for i, r in before.items()}
    after_cols = list(cols)
    # The rows the change under way may rewrite, and so move: a change of columns or a fill may
    # rewrite every row, even one whose values stay (a fill lays each row out again with the
    # table's columns now); an update, its own row.
    moving = set()
    if lines_done < len(effects):
        under_way = effects[lines_done]
        apply(after_model, after_cols, under_way)
        moving = {under_way[3]} if under_way[0] == "set" else set(before)
    problems, notes = [], []

    def check(reader, rows, text_null):
        if rows is None:
            return
        if set(rows) != set(before):
            extra = sorted(map(str, set(rows) - set(before)))[:3]
            problems.append(f"{reader}: rows {len(rows)} where {len(before)} were {extra}")
            return
        for ident, copies in rows.items():
            if not isinstance(copies, list):
                copies = [copies]
            elif len(copies) > 1:
                # mdbtools and mdb-reader list a moved row's copy (flagged 0x8000) and skip its
                # pointer (0x4000): between the stage that writes the copy and the one that writes
                # the pointer, they list a row being moved twice. Only the change under way may
                # move rows, and each listing must hold the row's values from before or after it.
                if ident not in moving:
                    problems.append(f"{reader}: row {ident}, which no change under way rewrites, is listed {len(copies)} times")
                notes.append(ident)
            for row in copies:
                problems_for(reader, ident, row, text_null)
            if len(problems) > 5:
                return

    def problems_for(reader, ident, row, text_null):
            a, b = before[ident], after_model[ident]
            names = set(row)
            if reader == "mdbtools":
                base_row = base["mdbtools"][ident][0]
            if names != set(a) and names != set(b):
                problems.append(f"{reader}: row {ident} has columns {sorted(names)}")
                return
            for c in names:
                got = row[c]
                if reader == "mdbtools" and c not in TEXT and not c.startswith("Part"):
                    if got != base_row[c]:
                        problems.append(f"{reader}: row {ident} column {c} reads {got!r}, was {base_row[c]!r}")
                    continue
                want = {a.get(c, "<gone>"), b.get(c, "<gone>")}
                if text_null:
                    want = {"" if w is None else w for w in want}
                if got not in want:
                    problems.append(f"{reader}: row {ident} column {c} reads {got!r}, not {sorted(map(str, want))}")

    try:
        check("fendrel", {i: r for i, (k, r) in ours(db).items()}, False)
        check("mdb-reader", oracle(db), False)
        check("mdbtools", mdbtools(db), True)
    except subprocess.CalledProcessError as e:
        problems.append(f"a reader failed: {' '.join(e.cmd[:3])}: {e.stderr.decode('utf-8', 'replace')[:300]}")
    if notes and not problems:
        print(f"   (a row being moved was listed twice {len(notes)} time(s) by mdbtools or mdb-reader, each listing valid)")
    return problems


def main():
    kills = int(sys.argv[1])
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 1500
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    fmt = sys.argv[4] if len(sys.argv) > 4 else "mdb"
    work = tempfile.mkdtemp(prefix="fendrel-crash-")
    try:
        base_db = os.path.join(work, "base." + fmt)
        run([os.path.join(BIN, "fendrel-make-table"), "--format", fmt, "--seed", str(seed), base_db, str(rows)])
        base = {"ours": ours(base_db), "mdbtools": mdbtools(base_db)}
        keys = [(i, k) for i, (k, r) in base["ours"].items()]
        rng = random.Random(seed)
        # One run to the end first: every change must work, and its time sets the kill window.
        lines, effects = script(rng, keys, 300)
        db = os.path.join(work, "work." + fmt)
        shutil.copy(base_db, db)
        path = os.path.join(work, "script.txt")
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")
        start = time.monotonic()
        done = run([DB_TOOL, db, "apply", path]).split()
        window = time.monotonic() - start
        problems = verify(db, base, len(effects), effects)
        if problems:
            print("the uninterrupted run is wrong:\n  " + "\n  ".join(problems))
            return 1
        print(f"uninterrupted: {len(effects)} changes in {window:.2f}s")
        survived = 0
        for k in range(kills):
            lines, effects = script(rng, keys, 300)
            with open(path, "w") as f:
                f.write("\n".join(lines) + "\n")
            shutil.copy(base_db, db)
            out = open(os.path.join(work, "progress"), "w")
            child = subprocess.Popen([DB_TOOL, db, "apply", path], stdout=out, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.0, window))
            child.send_signal(signal.SIGKILL)
            child.wait()
            out.close()
            with open(os.path.join(work, "progress")) as f:
                done = [l for l in f.read().split("\n") if l.startswith("ok ")]
            n = int(done[-1].split()[1]) if done else 0
            problems = verify(db, base, n, effects)
            status = "ok" if not problems else "FAILED"
            print(f"kill {k + 1}: after {n} of {len(effects)} changes: {status}")
            for p in problems[:6]:
                print("   " + p)
            if not problems:
                survived += 1
            else:
                keep = os.path.join(tempfile.gettempdir(), f"fendrel-crash-failed-{k + 1}.{fmt}")
                shutil.copy(db, keep)
                print(f"   file kept as {keep}")
        print(f"survived {survived} of {kills} kills")
        return 0 if survived == kills else 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
