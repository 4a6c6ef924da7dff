#!/usr/bin/env python3
"""Kills a process that changes a database after its N-th page write, for every N from 1 to the
last write of a workload, and checks what each kill leaves:

- the file opens in every reader: Fendrel's (fendrel-db rows), mdb-reader, mdbtools (mdb-export
  and mdb-count);
- every row is there with every value it had, or a value the workload gave it (cell by cell); a
  change the process reported done ("ok N" outside a batch) is there; Fendrel lists each row
  once; mdbtools and mdb-reader, which do not follow a moved row's pointer, may list a row that
  the workload moves twice, each listing valid;
- the next write (one update, by a new process) heals what the kill left: then every reader lists
  every row exactly once.

The writes and syncs of an uninterrupted run are recorded too (tests/jet/killshim.c), and each
write is left out in turn from the stage it was synced with: a stage's pages may reach the disk in
any order, so every such state must be as good as a kill's. A sync missing between two stages
shows here, where killing the process cannot see it (the page cache keeps what was written).

  crash_exhaustive.py [--short] [--format mdb|mdb97|accdb] [--workload NAME]... [--list]

mdb97 is an Access 97 (Jet 3) file: 2 KB pages, a 1,024-page window for inline maps.

Needs FENDREL_BIN (fendrel-db), a C compiler for the shim, mdb-export and mdb-count;
FENDREL_ORACLE_DIR with node_modules (mdb-reader) is used when present. Prints one line per
workload and format with the kills checked and survived; exit 0 when all held, 77 when a tool is
missing."""
import json, os, shutil, struct, subprocess, sys, tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BIN = os.environ.get("FENDREL_BIN", "")
ORACLE = os.environ.get("FENDREL_ORACLE_DIR", "")
DB_TOOL = os.path.join(BIN, "fendrel-db")
SPLIT_TOOL = os.path.join(BIN, "fendrel-split")


def page_size(fmt):
    return 2048 if fmt == "mdb97" else 4096


def extension(fmt):
    return "mdb" if fmt == "mdb97" else fmt


def run(args, env=None, check=True):
    r = subprocess.run(args, capture_output=True, env=env)
    if check and r.returncode != 0:
        raise RuntimeError(f"{' '.join(args[:4])}: exit {r.returncode}: {r.stderr.decode('utf-8', 'replace')[:400]}")
    return r


# ---------------------------------------------------------------------------------------------
# Workloads: a base file, a script for `fendrel-db apply`, and what each line of it does.


def text_of(i, n, ch):
    return (f"{ch}{i}-" * 40)[:n]


class Workload:
    """tables: the JSON spec for `fendrel-db create`; prep: changes made before the base is read
    (not killed); short: the formats the short run takes it on; ops: (line, effect) where effect is None or ("set", id, col, value), ("fill",
    col, value), ("add", col), ("drop", col); heal: (col, value) for the healing update."""

    def __init__(self, name, table, spec, make_ops, heal, prep=None, short=(), split=None):
        self.name, self.table, self.spec, self.make_ops = name, table, spec, make_ops
        self.heal, self.prep, self.short = heal, prep, short
        self.split = split  # (field, separator, text): run fendrel-split instead of a script


class SplitWorkload(Workload):
    """fendrel-split cuts a field at ", " into the columns SPLITCOLUMN1..n. A kill may leave any
    of the new columns and any of their cells filled; the same split run again (the healing write)
    must complete it."""

    def __init__(self, name, table, spec, field, short=()):
        super().__init__(name, table, spec, self.split_ops, None, short=short, split=(field, "comma-space", ", "))

    def split_ops(self, keys):
        field, _, sep = self.split
        spec = self.spec("") if callable(self.spec) else self.spec
        t = next(x for x in spec if x["name"] == self.table)
        at = [c["name"] for c in t["columns"]].index(field)
        cut = {row[0]: (row[at].split(sep) if row[at] else []) for row in t["rows"]}
        n = max(1, max(len(p) for p in cut.values()))
        ops = [(None, ("add", f"SPLITCOLUMN{j}")) for j in range(1, n + 1)]
        for ident, pieces in sorted(cut.items()):
            for j, piece in enumerate(pieces, 1):
                ops.append((None, ("set", ident, f"SPLITCOLUMN{j}", piece)))
        return ops


def people_spec(rows, note=100, extra=()):
    cols = [{"name": "ID", "type": "Long"}, {"name": "Name", "type": "Text", "size": 255},
            {"name": "Note", "type": "Text", "size": 255}, {"name": "Score", "type": "Double"}]
    return {"name": "T", "columns": cols,
            "rows": [[i, text_of(i, 30, "n"), text_of(i, note, "o") if i % 7 else None, i * 1.5] for i in range(1, rows + 1)]}


def filler_spec(rows):
    return {"name": "Filler", "columns": [{"name": "F", "type": "Text", "size": 255}],
            "rows": [[text_of(i, 250, "f")] for i in range(rows)]}


def set_op(table, keys, ident, col, value):
    v = "\\N" if value is None else value
    return (f"update\t{table}\t{keys[ident]}\t{col}\t{v}", ("set", ident, col, value))


def by_page(keys):
    pages = {}
    for ident, k in sorted(keys.items()):
        pages.setdefault(k >> 8, []).append(ident)
    return [pages[p] for p in sorted(pages)]


def ops_fixed_add(keys):
    return [("add-column\tFixed\tExtra\t40", ("add", "Extra")),
            ("fill\tFixed\tExtra\t" + "e" * 36, ("fill", "Extra", "e" * 36))]


def ops_drop_wide(keys):
    return [("drop-column\tWide\tC50", ("drop", "C50")), ("drop-column\tWide\tC3", ("drop", "C3"))]


def ops_grow_in_place(keys):
    # The base has every Note emptied, so the pages have room and each row grows where it is.
    ids = sorted(keys)
    ops = [set_op("T", keys, i, "Note", text_of(i, 40, "g")) for i in ids[:6]]
    ops.append(("batch", None))
    ops += [set_op("T", keys, i, "Note", text_of(i, 60, "h")) for i in ids[6:40:2]]
    ops.append(("commit", None))
    return ops


def ops_move_existing(keys):
    # The first page's rows were shrunk (prep); touching one tells the session that page has room,
    # and rows of other (full) pages then move there, one update at a time.
    pages = by_page(keys)
    ops = [set_op("T", keys, pages[0][0], "Note", "x")]
    for group in pages[1:4]:
        for i in group[:3]:
            ops.append(set_op("T", keys, i, "Note", text_of(i, 180, "m")))
    return ops


def ops_move_new_batch(keys):
    # Rows of full pages grown in one batch: their copies go to pages new in the batch, several to
    # each, and the pointers must wait for the maps that list those pages.
    pages = by_page(keys)
    ops = [("batch", None)]
    for group in pages:
        for i in group[::4]:
            ops.append(set_op("T", keys, i, "Note", text_of(i, 200, "b")))
    ops.append(("commit", None))
    return ops


def ops_move_again(keys):
    pages = by_page(keys)
    movers = [g[1] for g in pages]
    ops = [("batch", None)]
    for i in movers:
        ops.append(set_op("T", keys, i, "Note", text_of(i, 150, "a")))
    # In the same batch: moved rows grow again, their copies on pages new in the batch.
    for i in movers[::2]:
        ops.append(set_op("T", keys, i, "Note", text_of(i, 250, "A")))
    ops.append(("commit", None))
    # In a later batch: copies on pages now in the file move again, and the old copies are released.
    ops.append(("batch", None))
    for i in movers:
        ops.append(set_op("T", keys, i, "Name", text_of(i, 250, "B")))
    ops.append(("commit", None))
    for i in movers[:2]:
        ops.append(set_op("T", keys, i, "Note", None))
    return ops


def ops_grow_far(keys):
    # Enough moved rows to add about a dozen pages at the end of the file.
    ops = [("batch", None)]
    for i in sorted(keys)[:200]:
        ops.append(set_op("T", keys, i, "Name", text_of(i, 250, "w")))
    ops.append(("commit", None))
    return ops


def empty_notes(keys):
    return ["batch"] + [f"update\tT\t{k}\tNote\t" for i, k in sorted(keys.items())] + ["commit"]


def shrink_first_page(keys):
    first = by_page(keys)[0]
    return ["batch"] + [f"update\tT\t{keys[i]}\tNote\t\\N" for i in first] + ["commit"]


def addresses_spec(rows):
    # One to three pieces a value, one in nine Null, and a value shared by a tenth of the rows.
    def address(i):
        if i % 9 == 0:
            return None
        if i % 10 == 3:
            return "1 Shared Way, Middleton, MD1"
        return ", ".join([f"{i} {'Long ' * (i % 5)}Road", f"Town{i % 7}", f"Z{i}"][: 1 + i % 3])
    cols = [{"name": "ID", "type": "Long"}, {"name": "Address", "type": "Text", "size": 255},
            {"name": "Note", "type": "Text", "size": 255}]
    return {"name": "T", "columns": cols, "rows": [[i, address(i), text_of(i, 60, "s")] for i in range(1, rows + 1)]}


def workloads():
    fixed = {"name": "Fixed", "columns": [{"name": "ID", "type": "Long"}, {"name": "A", "type": "Integer"},
                                           {"name": "B", "type": "Double"}, {"name": "C", "type": "Long"}],
             "rows": [[i, i % 300, i / 4, i * 7] for i in range(1, 401)]}
    wide_cols = [{"name": "ID", "type": "Long"}] + [{"name": f"C{k}", "type": "Text", "size": 20} for k in range(1, 181)]
    wide = {"name": "Wide", "columns": wide_cols,
            "rows": [[i] + [f"v{i}-{k}" if (i + k) % 5 else None for k in range(1, 181)] for i in range(1, 31)]}
    return [
        Workload("move-new-batch", "T", [people_spec(300)], ops_move_new_batch, ("Name", "healed"), short=("mdb", "mdb97", "accdb")),
        Workload("add-column-fixed", "Fixed", [fixed], ops_fixed_add, ("A", "7"), short=("mdb",)),
        Workload("drop-column-wide", "Wide", [wide], ops_drop_wide, ("C1", "healed"), short=("accdb", "mdb97")),
        Workload("grow-in-place", "T", [people_spec(200)], ops_grow_in_place, ("Name", "healed"), prep=empty_notes),
        Workload("move-existing", "T", [people_spec(300)], ops_move_existing, ("Name", "healed"), prep=shrink_first_page),
        Workload("move-again", "T", [people_spec(300)], ops_move_again, ("Name", "healed")),
        # The table's pages lie low in a file of more than 512 pages: its inline map cannot reach
        # the new pages and becomes a reference map (the global map already is one).
        Workload("owned-map-promoted", "T", [people_spec(150), filler_spec(8600)], ops_grow_far, ("Name", "healed")),
        # A file of fewer than 512 pages with the table at its end: the global map's inline window
        # ends before the new pages, and it becomes a reference map.
        Workload("global-map-window", "T", lambda fmt: [filler_spec({"mdb": 7950, "accdb": 7620, "mdb97": 7000}[fmt]), people_spec(150)], ops_grow_far, ("Name", "healed")),
        # Rows grow in place and move to new pages, many statements to a checkpoint.
        SplitWorkload("split", "T", [addresses_spec(150)], "Address", short=("mdb", "accdb")),
    ]


# ---------------------------------------------------------------------------------------------
# Reading a file with every reader.


def have_oracle():
    return ORACLE and os.path.isdir(os.path.join(ORACLE, "node_modules")) and shutil.which("node")


def read_ours(db, table):
    r = run([DB_TOOL, db, "rows", table], check=False)
    if r.returncode != 0:
        return None, "fendrel-db: " + r.stderr.decode("utf-8", "replace").strip()[:300]
    return [json.loads(l) for l in r.stdout.decode().split("\n") if l], None


def read_mdbtools(db, table, count):
    r = run(["mdb-export", "-b", "strip", "-d", "<@F@>", "-R", "<@R@>", "-q", "", db, table], check=False)
    if r.returncode != 0:
        return None, "mdb-export: " + r.stderr.decode("utf-8", "replace").strip()[:300]
    recs = [x for x in r.stdout.decode("utf-8", "replace").split("<@R@>") if x != ""]
    if not recs:
        return None, "mdb-export printed nothing"
    names = recs[0].split("<@F@>")
    rows = [dict(zip(names, x.split("<@F@>"))) for x in recs[1:]]
    # mdb-count gives the row count the table's definition keeps.
    c = run(["mdb-count", db, table], check=False)
    if count is not None and (c.returncode != 0 or c.stdout.decode().strip() != str(count)):
        return None, f"mdb-count says {c.stdout.decode().strip()!r}{c.stderr.decode()[:200]}, not {count}"
    return rows, None


def read_oracle_many(dbs, table):
    if not have_oracle() or not dbs:
        return {}
    r = run(["node", os.path.join(HERE, "crash_rows.mjs"), ORACLE, table] + dbs)
    out = {}
    for line in r.stdout.decode().split("\n"):
        if line:
            j = json.loads(line)
            out[j["file"]] = (j.get("rows"), j.get("error") and "mdb-reader: " + j["error"])
    return out


# ---------------------------------------------------------------------------------------------
# What a file may hold after some of a workload's changes.


class Model:
    """The base rows of each reader, and for each cell the values it takes as the changes go on."""

    def __init__(self, base, effects):
        self.base = base  # reader -> {id: row}
        self.memo = {}
        cols = list(next(iter(base["fendrel"].values()))[0].keys())
        self.colsets = [tuple(cols)]
        self.states = []  # after k changes: (columns, {id: {col: value}}) for text values set
        values = {i: {} for i in base["fendrel"]}
        self.states.append((tuple(cols), {i: dict(v) for i, v in values.items()}))
        for e in effects:
            if e:
                kind = e[0]
                if kind == "add":
                    cols = cols + [e[1]]
                    for v in values.values():
                        v[e[1]] = None
                elif kind == "drop":
                    cols = [c for c in cols if c != e[1]]
                    for v in values.values():
                        v.pop(e[1], None)
                elif kind == "fill":
                    for v in values.values():
                        v[e[1]] = e[2]
                else:
                    values[e[1]][e[2]] = e[3]
            self.states.append((tuple(cols), {i: dict(v) for i, v in values.items()}))

    def allowed(self, reader, ident, col, since):
        """Values of a cell in any state from `since` on, in the reader's own form."""
        key = (reader, ident, col, since)
        if key not in self.memo:
            self.memo[key] = self.find_allowed(reader, ident, col, since)
        return self.memo[key]

    def find_allowed(self, reader, ident, col, since):
        out = set()
        base_row = self.base[reader][ident][0]
        for cols, values in self.states[since:]:
            if col not in cols:
                continue
            if col in values[ident]:
                v = values[ident][col]
                out.add(form(reader, v))
            elif col in base_row:
                out.add(json.dumps(base_row[col], sort_keys=True))
        return out

    def column_sets(self, since):
        return {frozenset(c) for c, _ in self.states[since:]}


def form(reader, v):
    """A value the workload sets, as the reader shows it (mdbtools: text, Null as "")."""
    if reader == "mdbtools":
        v = "" if v is None else str(v)
    return json.dumps(v, sort_keys=True)


def moved_ids(effects):
    return {e[1] for e in effects if e and e[0] == "set"} | ({"any"} if any(e and e[0] in ("fill", "add") for e in effects) else set())


def check_state(model, listings, since, effects, once, heal=None):
    """Problems of one file's listings (reader -> (rows, error)); `once`: every reader must list
    each row exactly once; `heal`: (id, col, value) set by the healing update."""
    problems = []
    movers = moved_ids(effects)
    want_ids = set(model.base["fendrel"])
    colsets = model.column_sets(since)
    for reader, (rows, error) in listings.items():
        if error:
            problems.append(error)
            continue
        seen = {}
        for row in rows:
            try:
                ident = int(row["ID"])
            except (KeyError, ValueError, TypeError):
                problems.append(f"{reader}: a row without a readable ID: {str(row)[:120]}")
                continue
            seen.setdefault(ident, []).append(row)
        if set(seen) != want_ids:
            gone = sorted(want_ids - set(seen))[:5]
            extra = sorted(set(seen) - want_ids)[:5]
            problems.append(f"{reader}: {len(seen)} rows where {len(want_ids)} were (missing {gone}, unknown {extra})")
            continue
        for ident, copies in seen.items():
            if len(copies) > 1:
                if once or reader == "fendrel":
                    problems.append(f"{reader}: row {ident} is listed {len(copies)} times")
                elif ident not in movers and "any" not in movers:
                    problems.append(f"{reader}: row {ident}, which the workload does not change, is listed {len(copies)} times")
            for row in copies:
                if frozenset(row) not in colsets:
                    problems.append(f"{reader}: row {ident} has columns {sorted(row)}")
                    continue
                for col, got in row.items():
                    if heal and heal[0] == ident and heal[1] == col:
                        allowed = {form(reader, heal[2])}
                    else:
                        allowed = model.allowed(reader, ident, col, since)
                    if json.dumps(got, sort_keys=True) not in allowed:
                        problems.append(f"{reader}: row {ident} column {col} reads {str(got)[:60]!r}, "
                                        f"not one of {sorted(a[:60] for a in allowed)[:3]}")
            if len(problems) > 6:
                return problems
    return problems


def listings_of(db, table, oracle, count=None):
    out = {}
    out["fendrel"] = read_ours(db, table)
    if db in oracle:
        out["mdb-reader"] = oracle[db]
    out["mdbtools"] = read_mdbtools(db, table, count)
    return out


def by_id(rows):
    out = {}
    for r in rows:
        out.setdefault(int(r["ID"]), []).append(r)
    return out


# ---------------------------------------------------------------------------------------------
# The shim's log: writes (offset, bytes) and syncs.


def read_log(path):
    events = []
    with open(path, "rb") as f:
        data = f.read()
    at = 0
    while at < len(data):
        kind = data[at:at + 1]
        at += 1
        if kind == b"w":
            offset, length = struct.unpack_from("<QI", data, at)
            at += 12
            events.append(("w", offset, data[at:at + length]))
            at += length
        elif kind == b"s":
            events.append(("s",))
        else:
            events.append(("x",))
    return events


def apply_writes(base, out, writes):
    shutil.copy(base, out)
    with open(out, "r+b") as f:
        for _, offset, data in writes:
            f.seek(offset)
            f.write(data)


# ---------------------------------------------------------------------------------------------


def build_shim(work):
    cc = shutil.which("cc") or shutil.which("gcc") or shutil.which("clang")
    if not cc:
        return None
    out = os.path.join(work, "killshim.so")
    run([cc, "-shared", "-fPIC", "-O2", "-o", out, os.path.join(HERE, "killshim.c"), "-ldl"])
    return out


def shim_env(shim, db, log=None, kill=None):
    env = dict(os.environ)
    env["LD_PRELOAD"] = shim
    env["FENDREL_SHIM_FILE"] = db
    # A sanitizer build's runtime wants to come first; the shim only passes calls on.
    env["ASAN_OPTIONS"] = "verify_asan_link_order=0:detect_leaks=0"
    if log:
        env["FENDREL_SHIM_LOG"] = log
    if kill:
        env["FENDREL_SHIM_KILL"] = str(kill)
    return env


def durable_since(lines, done):
    """Index of the first change whose effect may still be missing, given how many "ok" lines the
    process printed: changes in a batch count only once its commit is reported."""
    since, in_batch, batch_start = 0, False, 0
    for k, line in enumerate(lines[:done]):
        op = line.split("\t")[0]
        if op == "batch":
            in_batch, batch_start = True, k
        elif op == "commit":
            in_batch = False
            since = k + 1
        elif not in_batch:
            since = k + 1
    return since


class Prepared:
    """A workload made ready on one format: its base file, its script, its commands and the model of
    what each reader may show."""


def prepare(w, fmt, work, label=""):
    d = os.path.join(work, f"{w.name}-{fmt}{label}")
    os.makedirs(d)
    PAGE = page_size(fmt)
    ext = extension(fmt)
    base = os.path.join(d, "base." + ext)
    spec = os.path.join(d, "spec.json")
    with open(spec, "w") as f:
        json.dump({"format": fmt, "tables": w.spec(fmt) if callable(w.spec) else w.spec}, f)
    run([DB_TOOL, base, "create", spec])
    keys_of = lambda db: [int(k) for k in run([DB_TOOL, db, "keys", w.table]).stdout.split()]
    rows0, _ = read_ours(base, w.table)
    keys = {int(r["ID"]): k for r, k in zip(rows0, keys_of(base))}
    if w.prep:
        prep = os.path.join(d, "prep.txt")
        with open(prep, "w") as f:
            f.write("\n".join(w.prep(keys)) + "\n")
        run([DB_TOOL, base, "apply", prep])
    ops = w.make_ops(keys)
    lines = [l for l, _ in ops if l is not None]
    effects = [e for _, e in ops]
    script = os.path.join(d, "script.txt")
    with open(script, "w") as f:
        f.write("\n".join(lines) + "\n")
    if w.split:
        command = lambda db: [SPLIT_TOOL, db, w.table, w.split[0], "--separator", w.split[1], "--replace",
                              "--no-backup"]
        heal_command, heal = command, None
    else:
        command = lambda db: [DB_TOOL, db, "apply", script]
        heal_id = min(keys)
        heal_script = os.path.join(d, "heal.txt")
        with open(heal_script, "w") as f:
            f.write(f"update\t{w.table}\t{keys[heal_id]}\t{w.heal[0]}\t{w.heal[1]}\n")
        heal_command = lambda db: [DB_TOOL, db, "apply", heal_script]
        heal = (heal_id, w.heal[0], int(w.heal[1]) if w.heal[1].isdigit() else w.heal[1])

    oracle = read_oracle_many([base], w.table)
    base_listings = listings_of(base, w.table, oracle)
    for reader, (rows, error) in base_listings.items():
        if error:
            raise RuntimeError(f"the base file of {w.name} does not read: {error}")
    model = Model({r: by_id(rows) for r, (rows, _) in base_listings.items()}, effects)
    p = Prepared()
    p.d, p.PAGE, p.ext, p.base, p.keys, p.lines, p.effects = d, PAGE, ext, base, keys, lines, effects
    p.command, p.heal_command, p.heal, p.model = command, heal_command, heal, model
    return p


def run_workload(w, fmt, work, shim, reorder):
    p = prepare(w, fmt, work)
    d, PAGE, ext, base, keys, lines, effects = p.d, p.PAGE, p.ext, p.base, p.keys, p.lines, p.effects
    command, heal_command, heal, model = p.command, p.heal_command, p.heal, p.model

    # The uninterrupted run, its writes and syncs recorded.
    full = os.path.join(d, "full." + ext)
    log = os.path.join(d, "log")
    shutil.copy(base, full)
    r = run(command(full), env=shim_env(shim, full, log=log), check=False)
    if r.returncode != 0:
        return 0, None, [f"the uninterrupted run failed: {r.stderr.decode('utf-8', 'replace')[:300]}"]
    events = read_log(log)
    if any(e[0] == "x" for e in events):
        return 0, None, ["the file was changed other than by whole-page pwrite (the harness cannot replay it)"]
    writes = [e for e in events if e[0] == "w"]
    if any(len(e[2]) != PAGE or e[1] % PAGE for e in writes):
        return 0, None, ["a write is not one whole page"]
    problems = check_state(model, listings_of(full, w.table, read_oracle_many([full], w.table), len(keys)),
                           len(effects), effects, once=True)
    if problems:
        return 0, None, ["the uninterrupted run: " + p for p in problems]

    failures = []
    states = []  # (label, db, since, healed db or None)
    for n in range(1, len(writes) + 1):
        db = os.path.join(d, f"kill{n}." + ext)
        shutil.copy(base, db)
        r = run(command(db), env=shim_env(shim, db, kill=n), check=False)
        if r.returncode != -9:
            failures.append(f"kill after write {n}: the process was not killed (exit {r.returncode}); "
                            "the writes differ from run to run")
            continue
        done = sum(1 for l in r.stdout.decode().split("\n") if l.startswith("ok "))
        healed = os.path.join(d, f"heal{n}." + ext)
        shutil.copy(db, healed)
        h = run(heal_command(healed), check=False)
        # The split reports nothing done before it ends: any of its changes may be missing.
        since = 0 if w.split else durable_since(lines, done)
        states.append((f"kill after write {n} of {len(writes)}", db, since,
                       healed if h.returncode == 0 else None, h.stderr.decode("utf-8", "replace")[:300]))
    if reorder:
        groups, current = [], []
        for e in events:
            if e[0] == "w":
                current.append(e)
            else:
                groups.append(current)
                current = []
        groups.append(current)
        before = []
        for g, group in enumerate(groups):
            if len(group) > 1:
                for j in range(len(group)):
                    db = os.path.join(d, f"stage{g}-{j}." + ext)
                    apply_writes(base, db, before + group[:j] + group[j + 1:])
                    page = group[j][1] // PAGE
                    states.append((f"stage {g + 1} of {len(groups)} written without page {page}", db, 0, None, None))
            before += group

    files = [s[1] for s in states] + [s[3] for s in states if s[3]]
    oracle = {}
    for at in range(0, len(files), 40):
        oracle.update(read_oracle_many(files[at:at + 40], w.table))
    counts = {"kill": [0, 0], "stage": [0, 0]}
    for label, db, since, healed, heal_error in states:
        kind = counts["kill" if label.startswith("kill") else "stage"]
        kind[0] += 1
        problems = check_state(model, listings_of(db, w.table, oracle, len(keys)), since, effects, once=False)
        if not problems and label.startswith("kill"):
            if healed is None:
                problems = [f"the healing update failed: {heal_error}"]
            else:
                # After the split run again, its every change is there.
                after = len(effects) if w.split else since
                problems = ["after the healing write: " + p for p in
                            check_state(model, listings_of(healed, w.table, oracle, len(keys)), after, effects, once=True, heal=heal)]
        if problems:
            keep = os.path.join(tempfile.gettempdir(), f"fendrel-crash-{w.name}-{os.path.basename(db)}")
            shutil.copy(db, keep)
            failures.append(f"{label}: " + "; ".join(problems[:4]) + f" (kept as {keep})")
        else:
            kind[1] += 1
    return len(writes), counts, failures


def note_readers():
    if not have_oracle():
        print("note: mdb-reader is not installed (FENDREL_ORACLE_DIR); checking with fendrel-db and mdbtools")


def missing_tool(chosen):
    """What the workloads `chosen` need and this machine lacks, or None."""
    if not os.path.isfile(DB_TOOL):
        return "fendrel-db is not built"
    if any(w.split for w in chosen) and not os.path.isfile(SPLIT_TOOL):
        return "fendrel-split is not built"
    for tool in ("mdb-export", "mdb-count"):
        if not shutil.which(tool):
            return f"{tool} is absent"
    return None


def main():
    args = sys.argv[1:]
    short = "--short" in args
    reorder = "--no-reorder" not in args
    formats = [args[args.index("--format") + 1]] if "--format" in args else ["mdb", "mdb97", "accdb"]
    names = [args[i + 1] for i, a in enumerate(args) if a == "--workload"]
    every = workloads()
    if "--list" in args:
        print("\n".join(w.name for w in every))
        return 0
    chosen = [w for w in every if (w.name in names if names else (w.short or not short))]
    missing = missing_tool(chosen)
    if missing:
        print(f"skip: {missing}")
        return 77
    work = tempfile.mkdtemp(prefix="fendrel-crashx-")
    try:
        shim = build_shim(work)
        if not shim:
            print("skip: no C compiler for the write shim")
            return 77
        note_readers()
        total = {"kill": [0, 0], "stage": [0, 0]}
        bad = 0
        for w in chosen:
            for fmt in formats:
                if short and not names and fmt not in w.short:
                    continue
                writes, counts, failures = run_workload(w, fmt, work, shim, reorder)
                counts = counts or {"kill": [0, 0], "stage": [0, 0]}
                for k in total:
                    total[k][0] += counts[k][0]
                    total[k][1] += counts[k][1]
                print(f"{w.name:20} {fmt:6} writes {writes:3}   kills checked {counts['kill'][0]:3} survived "
                      f"{counts['kill'][1]:3}   stage orders checked {counts['stage'][0]:3} survived "
                      f"{counts['stage'][1]:3}", flush=True)
                for f in failures[:8]:
                    print("    " + f)
                if failures:
                    bad += 1
        print(f"kills checked {total['kill'][0]}, survived {total['kill'][1]}; "
              f"stage orders checked {total['stage'][0]}, survived {total['stage'][1]}")
        return 0 if bad == 0 else 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
