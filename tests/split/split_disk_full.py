#!/usr/bin/env python3
"""A split on a disk that fills up midway: a small tmpfs holds the file, with room for half of
what the split adds. The run must end with a failure that says the disk is full, every reader must
then list every row once with every original value (the new columns absent, or each cell empty or
its piece), and with room made the same split run again must complete it, giving the rows a split
on a roomy disk gives.

  split_disk_full.py [ROWS] [mdb|accdb]

Needs root (to mount the tmpfs) and what split_crash.py needs. Exit 0 when every check held, 1
otherwise, 77 when the tmpfs cannot be mounted."""
import os, re, shutil, subprocess, sys, tempfile

import split_crash as sc

FULL = "Not enough space on disk"


def mount_tmpfs(where, size):
    r = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", where], capture_output=True)
    return r.returncode == 0


def fill_to(where, room):
    """Takes the tmpfs's free space down to `room` bytes with a file of zeros; returns its path."""
    filler = os.path.join(where, "filler")
    st = os.statvfs(where)
    free = st.f_bavail * st.f_frsize
    if free > room:
        with open(filler, "wb") as f:
            os.posix_fallocate(f.fileno(), 0, free - room)
    return filler


def split(db):
    # The run again replaces the columns the first one made; the check is of the file, not of backups.
    return subprocess.run([sc.SPLIT, db, sc.TABLE, sc.FIELD, "--separator", "comma-space", "--replace", "--no-backup"],
                          capture_output=True)


def main():
    rows = int(sys.argv[1]) if len(sys.argv) > 1 else 2000
    fmt = sys.argv[2] if len(sys.argv) > 2 else "mdb"
    tmp = tempfile.mkdtemp(prefix="fendrel-disk-full-")
    disk = os.path.join(tmp, "disk")
    os.mkdir(disk)
    mounted = False
    try:
        base = os.path.join(tmp, "base." + fmt)
        sc.run([os.path.join(sc.BIN, "fendrel-make-table"), "--format", fmt, "--seed", "11", base, str(rows)])
        original = {k: v[0] for k, v in sc.ours(base).items()}
        roomy = os.path.join(tmp, "roomy." + fmt)
        shutil.copy(base, roomy)
        r = split(roomy)
        if r.returncode != 0:
            print("the split on a roomy disk failed: %s" % r.stderr.decode("utf-8", "replace")[-300:])
            return 1
        growth = os.path.getsize(roomy) - os.path.getsize(base)
        wanted = sc.ours(roomy)

        size = os.path.getsize(base) + growth + (4 << 20)
        if not mount_tmpfs(disk, size):
            print("skip: a tmpfs cannot be mounted here (it needs root)")
            return 77
        mounted = True
        db = os.path.join(disk, "full." + fmt)
        shutil.copy(base, db)
        filler = fill_to(disk, growth // 2)
        r = split(db)
        said = (r.stdout + r.stderr).decode("utf-8", "replace")
        faults = []
        if r.returncode == 0:
            faults.append("the split on a full disk reported success")
        if FULL not in said:
            faults.append("the run did not say the disk is full: %r" % said[-400:])
        if not re.search(r"The split stopped there, (at record \d+ of \d+, its fields made|while it made the "
                         r"field \w+); .* Run the same split again, with room on the disk, to complete it", said):
            faults.append("the run did not say how far it got and that running it again completes it: %r"
                          % said[-600:])
        # The statements since the last checkpoint went with the failure: the run must not say
        # that every one it executed is in the file.
        if "all of them in the file" in said:
            faults.append("the run said every statement it executed is in the file: %r" % said[-400:])
        told = said.count(FULL)
        if told != 1:
            faults.append("the full disk was told %d times, not once: %r" % (told, said[-600:]))
        failed = r.returncode != 0
        faults += sc.check(db, original, False)
        state = sc.state_of(db)

        os.remove(filler)
        r = split(db)
        if r.returncode != 0:
            faults.append("the split run again with room failed: %s" % r.stderr.decode("utf-8", "replace")[-300:])
        faults += sc.check(db, original, True)
        if sc.ours(db) != wanted:
            faults.append("the split completed after the full disk differs from the split on a roomy disk")
        print("%d rows (%s), room for half of the split's %d KB: the run %s, told %d time(s), %s; run again: %s"
              % (rows, fmt, growth >> 10, "failed" if failed else "ended", told, state,
                 "held" if not faults else "FAILED"))
        for f in faults[:10]:
            print("    " + f)
        return 0 if not faults else 1
    finally:
        if mounted:
            subprocess.run(["umount", disk], capture_output=True)
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
