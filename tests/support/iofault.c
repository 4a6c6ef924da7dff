// Preloaded (LD_PRELOAD) into a process that changes a database, to make its writes fail as a bad or
// full disk would. It watches the one file FENDREL_IOFAULT_FILE names (by device and inode) and
// counts the writes (pwrite, pwrite64) and the syncs (fsync, fdatasync) of it:
//   FENDREL_IOFAULT_ON=write|sync   which call fails (none fails without it)
//   FENDREL_IOFAULT_AT=N            the N-th such call fails (1 for the first)
//   FENDREL_IOFAULT_ERROR=EIO|ENOSPC  with this error (EIO when unset)
//   FENDREL_IOFAULT_LASTING=1       and from then on every write and every sync of the file fails
//                                   too (a dead disk, a full one); otherwise only that one call
//   FENDREL_IOFAULT_REPORT=PATH     appends one line per call on the file: "w" or "s", then " ok"
//                                   or " failed", so a harness can count an undisturbed run's calls
//                                   and see what a process did after its failure
// A failed write writes nothing; a failed sync has still synced (the shim cannot unwrite the page
// cache), as on a disk whose error came after the data reached it.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static int ready;
static dev_t watchedDev;
static ino_t watchedIno;
static char failOn;    // 'w', 's' or 0
static long failAt;    // the call of that kind that fails
static int failErrno;  // EIO or ENOSPC
static int lasting;    // every call fails from the first failure on
static int failing;    // lasting and the first failure has happened
static long calls[2];  // writes, syncs
static int reportFd = -1;

static void setUp(void) {
    if (ready) return;
    ready = 2; // nothing to watch unless all is well below
    const char* file = getenv("FENDREL_IOFAULT_FILE");
    struct stat st;
    if (!file || stat(file, &st) != 0) return;
    watchedDev = st.st_dev;
    watchedIno = st.st_ino;
    const char* on = getenv("FENDREL_IOFAULT_ON");
    if (on && strcmp(on, "write") == 0) failOn = 'w';
    if (on && strcmp(on, "sync") == 0) failOn = 's';
    const char* at = getenv("FENDREL_IOFAULT_AT");
    failAt = at ? strtol(at, NULL, 10) : 1;
    const char* error = getenv("FENDREL_IOFAULT_ERROR");
    failErrno = error && strcmp(error, "ENOSPC") == 0 ? ENOSPC : EIO;
    const char* last = getenv("FENDREL_IOFAULT_LASTING");
    lasting = last && strcmp(last, "1") == 0;
    const char* report = getenv("FENDREL_IOFAULT_REPORT");
    if (report) reportFd = open(report, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    ready = 1;
}

static int watched(int fd) {
    setUp();
    if (ready != 1) return 0;
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == watchedDev && st.st_ino == watchedIno;
}

static void report(char kind, int failed) {
    if (reportFd < 0) return;
    char line[16];
    size_t n = 0;
    line[n++] = kind;
    const char* what = failed ? " failed\n" : " ok\n";
    memcpy(line + n, what, strlen(what));
    n += strlen(what);
    if (write(reportFd, line, n) != (ssize_t)n) abort();
}

// Whether this call (kind 'w' or 's') on the watched file fails; counts it.
static int fails(char kind) {
    long n = ++calls[kind == 'w' ? 0 : 1];
    if (failing) return 1;
    if (kind != failOn || n != failAt) return 0;
    if (lasting) failing = 1;
    return 1;
}

static ssize_t writeCall(ssize_t (*real)(int, const void*, size_t, off_t), int fd, const void* buf, size_t n,
                         off_t offset) {
    if (!watched(fd)) return real(fd, buf, n, offset);
    if (fails('w')) {
        report('w', 1);
        errno = failErrno;
        return -1;
    }
    ssize_t w = real(fd, buf, n, offset);
    report('w', w < 0);
    return w;
}

static int syncCall(int (*real)(int), int fd) {
    if (!watched(fd)) return real(fd);
    int failed = fails('s');
    int r = real(fd);
    if (failed) {
        report('s', 1);
        errno = failErrno;
        return -1;
    }
    report('s', r != 0);
    return r;
}

// The next definition of `name` (libc's), as a function pointer without a cast from void*.
#define REAL(real, name)                                                                                       \
    do {                                                                                                       \
        if (!real) {                                                                                           \
            void* found = dlsym(RTLD_NEXT, name);                                                              \
            memcpy(&real, &found, sizeof found);                                                               \
        }                                                                                                      \
    } while (0)

ssize_t pwrite(int fd, const void* buf, size_t n, off_t offset) {
    static ssize_t (*real)(int, const void*, size_t, off_t);
    REAL(real, "pwrite");
    return writeCall(real, fd, buf, n, offset);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off64_t offset) {
    static ssize_t (*real)(int, const void*, size_t, off_t);
    REAL(real, "pwrite64");
    return writeCall(real, fd, buf, n, offset);
}

int fsync(int fd) {
    static int (*real)(int);
    REAL(real, "fsync");
    return syncCall(real, fd);
}

int fdatasync(int fd) {
    static int (*real)(int);
    REAL(real, "fdatasync");
    return syncCall(real, fd);
}
