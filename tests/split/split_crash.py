#!/usr/bin/env python3
"""Kills fendrel-split at several moments of a split (reading, making the columns, writing the
pieces, and during a second run that drops and makes the columns again) and checks what each kill
leaves: Fendrel's reader (fendrel-db), mdb-export and mdb-reader each list every row once with every
original value (mdbtools and mdb-reader may list the one row whose move was under way twice, each
listing whole, until the next run's first write releases the stray copy); the new columns are absent, or present with each cell either empty or its piece;
and running the same split again completes it. An interrupt (SIGINT) is checked the same way: the
run stops after the statement in hand and says so.

  split_crash.py [ROWS] [SEED] [mdb|accdb]

Needs FENDREL_BIN (fendrel-split, fendrel-db, fendrel-make-table), FENDREL_ORACLE_DIR with its
node_modules, node and mdb-export. Exit 0 when every check held, 1 otherwise."""
import json, os, re, shutil, signal, subprocess, sys, tempfile, time

BIN = os.environ["FENDREL_BIN"]
ORACLE = os.environ["FENDREL_ORACLE_DIR"]
SPLIT = os.path.join(BIN, "fendrel-split")
DB_TOOL = os.path.join(BIN, "fendrel-db")
TABLE, FIELD, SEPARATOR = "People", "Address", ", "
ORIGINAL = ["ID", "FullName", "Address", "City", "Notes", "Amount", "Score", "Visits", "Joined", "Active"]
TEXTS = ["FullName", "Address", "City", "Notes"]  # compared in mdb-export's output too


def run(args):
    return subprocess.run(args, check=True, capture_output=True).stdout.decode("utf-8")


def ours(db):
    rows = {}
    for r in (json.loads(l) for l in run([DB_TOOL, db, "rows", TABLE]).splitlines() if l):
        rows.setdefault(r["ID"], []).append(r)
    return rows


def oracle(db):
    rows = {}
    out = run(["node", os.path.join(ORACLE, "oracle.mjs"), "dump", db, "rows", TABLE])
    for r in (json.loads(l) for l in out.splitlines() if l):
        rows.setdefault(r["ID"], []).append(r)
    return rows


def mdbtools(db):
    out = run(["mdb-export", "-b", "strip", "-d", "<@F@>", "-R", "<@R@>", "-q", "", db, TABLE])
    records = [r for r in out.split("<@R@>") if r]
    names = records[0].split("<@F@>")
    rows = {}
    for rec in records[1:]:
        r = dict(zip(names, rec.split("<@F@>")))
        rows.setdefault(int(r["ID"]), []).append(r)
    return rows


def pieces(value):
    return [] if not value else value.split(SEPARATOR)


def twice_allowed(reader, rows, killed):
    """Right after a kill, mdbtools and mdb-reader (which do not follow moved-row pointers) may list
    the one row whose move was under way twice, each listing whole; the next write heals it."""
    doubled = [k for k, v in rows.items() if len(v) != 1]
    return killed and reader != "fendrel-db" and len(doubled) <= 1 and all(len(rows[k]) == 2 for k in doubled)


def check(db, original, complete, killed=False):
    """What every reader sees; a list of faults (empty when all held)."""
    faults = []
    widest = max(len(pieces(r[FIELD])) for r in original.values())
    columns = ["SPLITCOLUMN%d" % (j + 1) for j in range(widest)]
    for reader, rows in (("fendrel-db", ours(db)), ("mdb-reader", oracle(db))):
        if set(rows) != set(original):
            faults.append("%s: rows %s missing, %s extra" % (reader, sorted(set(original) - set(rows))[:5],
                                                               sorted(set(rows) - set(original))[:5]))
        allowed = twice_allowed(reader, rows, killed)
        for key, listings in rows.items():
            if len(listings) != 1 and not allowed:
                faults.append("%s: row %s listed %d times" % (reader, key, len(listings)))
                continue
            want = original.get(key)
            if want is None:
                continue
            for row in listings:
                for name in ORIGINAL:
                    if row.get(name) != want[name]:
                        faults.append("%s: row %s %s is %r, was %r" % (reader, key, name, row.get(name), want[name]))
                cut = pieces(want[FIELD])
                for j, name in enumerate(columns):
                    if name not in row:
                        if complete:
                            faults.append("%s: row %s has no %s" % (reader, key, name))
                        continue
                    piece = cut[j] if j < len(cut) else None
                    if row[name] != piece and (complete or row[name] is not None):
                        faults.append("%s: row %s %s is %r, its piece is %r" % (reader, key, name, row[name], piece))
    exported = mdbtools(db)
    if set(exported) != set(original) or not twice_allowed("mdb-export", exported, killed) and any(
            len(v) != 1 for v in exported.values()):
        faults.append("mdb-export: the rows are not each listed once")
    else:
        for key, listings in exported.items():
            for row in listings:
                for name in TEXTS:
                    if row[name] != (original[key][name] or ""):
                        faults.append("mdb-export: row %s %s is %r" % (key, name, row[name]))
    return faults


def state_of(db):
    """What a kill left: the new columns present and their cells filled."""
    rows = [r[0] for r in ours(db).values()]
    names = sorted({k for r in rows for k in r if k.startswith("SPLITCOLUMN")})
    filled = sum(1 for r in rows for k in names if r[k] is not None)
    return "left %d new columns, %d cells filled" % (len(names), filled)


def split(db):
    # Re-runs replace the columns an earlier run filled; the harness checks the file, not backups.
    return subprocess.Popen([SPLIT, db, TABLE, FIELD, "--separator", "comma-space", "--replace", "--no-backup"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def wait_for_progress(p, percent):
    """Reads the run's progress lines until one says `percent` % or more (or the run ends)."""
    for line in p.stderr:
        m = re.match(rb"progress +(\d+)%", line)
        if m and int(m.group(1)) >= percent:
            return


def main():
    rows = int(sys.argv[1]) if len(sys.argv) > 1 else 300
    seed = sys.argv[2] if len(sys.argv) > 2 else "11"
    fmt = sys.argv[3] if len(sys.argv) > 3 else "mdb"
    tmp = tempfile.mkdtemp(prefix="fendrel-split-crash-")
    try:
        base = os.path.join(tmp, "base." + fmt)
        run([os.path.join(BIN, "fendrel-make-table"), "--format", fmt, "--seed", seed, base, str(rows)])
        original = {k: v[0] for k, v in ours(base).items()}

        # How long a whole run takes here, to spread the kills over it.
        timed = os.path.join(tmp, "timed." + fmt)
        shutil.copy(base, timed)
        start = time.monotonic()
        p = split(timed)
        p.communicate()
        whole = time.monotonic() - start
        faults = [] if p.returncode == 0 else ["a whole run failed (%d)" % p.returncode]
        faults += check(timed, original, True)

        # (moment, signal, whether a first run completed before it). A moment is a share of a whole
        # run's time, or ("progress", P): as soon as the run says it has reached P % of the records,
        # which, the run being fast, time alone would often miss.
        moments = [(0.02, signal.SIGKILL, False), (0.04, signal.SIGKILL, False), (0.06, signal.SIGKILL, False),
                   (0.1, signal.SIGKILL, False), (("progress", 10), signal.SIGKILL, False),
                   (("progress", 50), signal.SIGKILL, False), (("progress", 80), signal.SIGKILL, False),
                   (0.1, signal.SIGKILL, True), (("progress", 50), signal.SIGKILL, True),
                   (("progress", 50), signal.SIGINT, False)]
        for n, (moment, sig, again) in enumerate(moments):
            db = os.path.join(tmp, "kill%d.%s" % (n, fmt))
            shutil.copy(timed if again else base, db)
            p = split(db)
            if isinstance(moment, tuple):
                wait_for_progress(p, moment[1])
                share = moment[1] / 100
            else:
                time.sleep(whole * moment)
                share = moment
            p.send_signal(sig)
            out, _ = p.communicate()
            what = "%s at %2d%%%s%s" % (signal.Signals(sig).name, share * 100, " of the records" if isinstance(moment, tuple) else "",
                                        " of a second run" if again else "")
            found = check(db, original, p.returncode == 0 and sig == signal.SIGKILL,
                          killed=sig == signal.SIGKILL and p.returncode != 0)
            state = state_of(db)
            if sig == signal.SIGINT and p.returncode == 0:
                found.append("the run ended before the interrupt; nothing was checked")
            elif sig == signal.SIGINT and b"stopped before its end" not in out:
                found.append("an interrupted run did not say it stopped: %r" % out)
            p = split(db)
            p.communicate()
            if p.returncode != 0:
                found.append("running the split again failed (%d)" % p.returncode)
            found += check(db, original, True)
            print("%-48s %-40s %s" % (what, state, "held" if not found else "FAILED"))
            for f in found[:10]:
                print("    " + f)
            faults += found
        print("%d rows, a whole run %.1f s: %s" % (rows, whole, "all held" if not faults else "%d faults" % len(faults)))
        return 0 if not faults else 1
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
