#!/usr/bin/env python3
"""Makes the N-th write or sync of a process that changes a database fail, as a bad or full disk
would, for every N of a workload (crash_exhaustive.py's workloads), and checks what each failure
leaves. The process goes on after the failure (tests/support/iofault.c), so this finds what a kill
cannot: a session that writes again over what the failure left.

The faults: a write failing once with EIO, a write failing with ENOSPC and every later write and
sync of the file failing too (a full disk), a sync failing once with EIO, a sync failing with EIO
and every later call too (a dead disk).

Each failure must leave:
- a process that ends, reports failure (non-zero exit) and names the cause: "Input/output error"
  or "No space left on device";
- no write or sync of the file after the failing call: the session stops (its pages pending and
  its cached definitions would be written over a file they no longer describe);
- a file that opens in every reader (fendrel-db, mdb-reader, mdb-export and mdb-count) with every
  value it had or one the workload gave it, as after a kill;
- a file on which the same workload's healing write (for the split: the same split again) runs
  and leaves every row once, with the rows an undisturbed run gives.

  fault_exhaustive.py [--short] [--format mdb|mdb97|accdb] [--workload NAME]... [--fault NAME]...

--short takes the workloads and formats of the crash harness's short run and a sample of N (the
first, the middle and the last call of each kind). Needs what crash_exhaustive.py needs; the shim
is $FENDREL_BIN/iofault.so when built, else compiled here. Prints one line per workload, format and
fault with the failures checked and held; exit 0 when all held, 77 when a tool is missing."""
import os, shutil, subprocess, sys, tempfile

import crash_exhaustive as ce

HERE = os.path.dirname(os.path.abspath(__file__))
SHIM_SOURCE = os.path.join(HERE, "..", "support", "iofault.c")

# name: (call, error, lasting)
FAULTS = {
    "write-eio-once": ("write", "EIO", False),
    "write-enospc": ("write", "ENOSPC", True),
    "sync-eio-once": ("sync", "EIO", False),
    "sync-eio-lasting": ("sync", "EIO", True),
}
CAUSE = {"EIO": "Input/output error", "ENOSPC": "No space left on device"}


def find_shim(work):
    built = os.path.join(ce.BIN, "iofault.so")
    if os.path.isfile(built):
        return built
    cc = shutil.which("cc") or shutil.which("gcc") or shutil.which("clang")
    if not cc:
        return None
    out = os.path.join(work, "iofault.so")
    ce.run([cc, "-shared", "-fPIC", "-O2", "-o", out, SHIM_SOURCE, "-ldl"])
    return out


def fault_env(shim, db, report, fault=None, at=None):
    env = dict(os.environ)
    env["LD_PRELOAD"] = shim
    env["FENDREL_IOFAULT_FILE"] = db
    env["FENDREL_IOFAULT_REPORT"] = report
    env["ASAN_OPTIONS"] = "verify_asan_link_order=0:detect_leaks=0"
    if fault:
        call, error, lasting = FAULTS[fault]
        env.update({"FENDREL_IOFAULT_ON": call, "FENDREL_IOFAULT_AT": str(at), "FENDREL_IOFAULT_ERROR": error,
                    "FENDREL_IOFAULT_LASTING": "1" if lasting else "0"})
    return env


def calls_of(report):
    with open(report) as f:
        return [l.split() for l in f.read().splitlines() if l]


def sample(count, short):
    if not short or count <= 3:
        return list(range(1, count + 1))
    return sorted({1, (count + 1) // 2, count})


def run_faults(w, fmt, work, shim, faults, short):
    """Returns {fault: [checked, held]}, the failures found and the undisturbed run's calls."""
    p = ce.prepare(w, fmt, work, "-faults")
    full = os.path.join(p.d, "full." + p.ext)
    shutil.copy(p.base, full)
    report = os.path.join(p.d, "full.calls")
    r = ce.run(p.command(full), env=fault_env(shim, full, report), check=False)
    if r.returncode != 0:
        return {}, [f"the undisturbed run failed: {r.stderr.decode('utf-8', 'replace')[:300]}"], {}
    calls = calls_of(report)
    counts = {"write": sum(1 for c in calls if c[0] == "w"), "sync": sum(1 for c in calls if c[0] == "s")}

    results, failures, states = {}, [], []
    for fault in faults:
        call, error, _ = FAULTS[fault]
        results[fault] = [0, 0]
        for n in sample(counts[call], short):
            label = f"{fault} at {call} {n} of {counts[call]}"
            db = os.path.join(p.d, f"{fault}-{n}." + p.ext)
            shutil.copy(p.base, db)
            report = os.path.join(p.d, f"{fault}-{n}.calls")
            try:
                r = subprocess.run(p.command(db), capture_output=True, timeout=300,
                                   env=fault_env(shim, db, report, fault, n))
            except subprocess.TimeoutExpired:
                failures.append(f"{label}: the process did not end")
                continue
            problems = []
            said = (r.stdout + r.stderr).decode("utf-8", "replace")
            if r.returncode == 0:
                problems.append("the process reported success")
            elif CAUSE[error] not in said:
                problems.append(f"the cause is not told: {said.strip()[-300:]!r}")
            seen = calls_of(report)
            first = next((k for k, c in enumerate(seen) if c[1] == "failed"), None)
            if first is None:
                problems.append("no call failed (the run's calls differ from the undisturbed run's)")
            elif first + 1 < len(seen):
                after = seen[first + 1:]
                problems.append(f"{len(after)} more calls on the file after the failure "
                                f"({sum(1 for c in after if c[0] == 'w')} writes)")
            done = sum(1 for l in r.stdout.decode().split("\n") if l.startswith("ok "))
            since = 0 if w.split else ce.durable_since(p.lines, done)
            healed = os.path.join(p.d, f"{fault}-{n}-healed." + p.ext)
            shutil.copy(db, healed)
            h = ce.run(p.heal_command(healed), check=False)
            states.append((label, fault, db, since, healed if h.returncode == 0 else None,
                           h.stderr.decode("utf-8", "replace")[:300], problems))

    files = [s[2] for s in states] + [s[4] for s in states if s[4]]
    oracle = {}
    for at in range(0, len(files), 40):
        oracle.update(ce.read_oracle_many(files[at:at + 40], w.table))
    for label, fault, db, since, healed, heal_error, problems in states:
        results[fault][0] += 1
        problems = problems + ce.check_state(p.model, ce.listings_of(db, w.table, oracle, len(p.keys)), since,
                                             p.effects, once=False)
        if not problems:
            if healed is None:
                problems = [f"the healing run failed: {heal_error}"]
            else:
                after = len(p.effects) if w.split else since
                problems = ["after the healing run: " + x for x in
                            ce.check_state(p.model, ce.listings_of(healed, w.table, oracle, len(p.keys)), after,
                                           p.effects, once=True, heal=p.heal)]
        if problems:
            keep = os.path.join(tempfile.gettempdir(), f"fendrel-fault-{w.name}-{os.path.basename(db)}")
            shutil.copy(db, keep)
            failures.append(f"{label}: " + "; ".join(problems[:4]) + f" (kept as {keep})")
        else:
            results[fault][1] += 1
    return results, failures, counts


def main():
    args = sys.argv[1:]
    short = "--short" in args
    formats = [args[args.index("--format") + 1]] if "--format" in args else ["mdb", "mdb97", "accdb"]
    names = [args[i + 1] for i, a in enumerate(args) if a == "--workload"]
    faults = [args[i + 1] for i, a in enumerate(args) if a == "--fault"] or list(FAULTS)
    if any(f not in FAULTS for f in faults):
        print(f"unknown fault; the faults are {', '.join(FAULTS)}")
        return 2
    chosen = [w for w in ce.workloads() if (w.name in names if names else (w.short or not short))]
    missing = ce.missing_tool(chosen)
    if missing:
        print(f"skip: {missing}")
        return 77
    work = tempfile.mkdtemp(prefix="fendrel-faults-")
    try:
        shim = find_shim(work)
        if not shim:
            print("skip: the I/O fault shim is not built and there is no C compiler")
            return 77
        ce.note_readers()
        total = [0, 0]
        bad = 0
        for w in chosen:
            for fmt in formats:
                if short and not names and fmt not in w.short:
                    continue
                results, failures, counts = run_faults(w, fmt, work, shim, faults, short)
                line = "   ".join(f"{f} {c}/{h}" for f, (c, h) in results.items())
                print(f"{w.name:20} {fmt:6} writes {counts.get('write', 0):3} syncs {counts.get('sync', 0):3}   "
                      f"checked/held: {line}", flush=True)
                for c, h in results.values():
                    total[0] += c
                    total[1] += h
                for f in failures[:8]:
                    print("    " + f)
                bad += bool(failures)
        print(f"failures checked {total[0]}, held {total[1]}")
        return 0 if bad == 0 else 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
