// Preloaded (LD_PRELOAD) into a process that changes a database, for the crash harness. It watches
// the one file FENDREL_SHIM_FILE names (by device and inode) and:
//   - with FENDREL_SHIM_LOG=PATH, appends a record of each write to that file and each sync of it:
//     'w' offset(u64) length(u32) then the bytes written, or 's' alone (fsync, fdatasync); any
//     other change of the file (write, pwritev, ftruncate) is logged as 'x', which the harness
//     refuses, since it could not replay it;
//   - with FENDREL_SHIM_KILL=N, raises SIGKILL right after the N-th write to the file returns.
// Build: cc -shared -fPIC -O2 -o killshim.so killshim.c -ldl
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

static int ready;
static dev_t watchedDev;
static ino_t watchedIno;
static int logFd = -1;
static long killAfter = -1;
static long writes;

static void setUp(void) {
    if (ready) return;
    ready = 1;
    const char* file = getenv("FENDREL_SHIM_FILE");
    struct stat st;
    if (!file || stat(file, &st) != 0) {
        ready = 2; // nothing to watch
        return;
    }
    watchedDev = st.st_dev;
    watchedIno = st.st_ino;
    const char* log = getenv("FENDREL_SHIM_LOG");
    if (log) logFd = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const char* k = getenv("FENDREL_SHIM_KILL");
    if (k) killAfter = strtol(k, NULL, 10);
}

static int watched(int fd) {
    setUp();
    if (ready != 1) return 0;
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == watchedDev && st.st_ino == watchedIno;
}

static void logAll(const void* data, size_t n) {
    const char* p = data;
    while (n > 0) {
        ssize_t w = write(logFd, p, n);
        if (w <= 0) abort();
        p += w;
        n -= (size_t)w;
    }
}

static void logWrite(const void* buf, size_t n, uint64_t offset) {
    if (logFd < 0) return;
    uint32_t len = (uint32_t)n;
    logAll("w", 1);
    logAll(&offset, sizeof offset);
    logAll(&len, sizeof len);
    logAll(buf, n);
}

static void logMark(const char* kind) {
    if (logFd >= 0) logAll(kind, 1);
}

static void afterWrite(void) {
    if (killAfter > 0 && ++writes >= killAfter) kill(getpid(), SIGKILL);
}

// After a write that returned `w` bytes: logged, and counted towards the kill, when it was to the file.
static ssize_t wrote(ssize_t w, int fd, const void* buf, uint64_t offset) {
    if (w > 0 && watched(fd)) {
        logWrite(buf, (size_t)w, offset);
        afterWrite();
    }
    return w;
}

ssize_t pwrite(int fd, const void* buf, size_t n, off_t offset) {
    static ssize_t (*real)(int, const void*, size_t, off_t);
    if (!real) real = (ssize_t (*)(int, const void*, size_t, off_t))dlsym(RTLD_NEXT, "pwrite");
    return wrote(real(fd, buf, n, offset), fd, buf, (uint64_t)offset);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off64_t offset) {
    static ssize_t (*real)(int, const void*, size_t, off64_t);
    if (!real) real = (ssize_t (*)(int, const void*, size_t, off64_t))dlsym(RTLD_NEXT, "pwrite64");
    return wrote(real(fd, buf, n, offset), fd, buf, (uint64_t)offset);
}

int fsync(int fd) {
    static int (*real)(int);
    if (!real) real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    int r = real(fd);
    if (r == 0 && watched(fd)) logMark("s");
    return r;
}

int fdatasync(int fd) {
    static int (*real)(int);
    if (!real) real = (int (*)(int))dlsym(RTLD_NEXT, "fdatasync");
    int r = real(fd);
    if (r == 0 && watched(fd)) logMark("s");
    return r;
}

ssize_t write(int fd, const void* buf, size_t n) {
    static ssize_t (*real)(int, const void*, size_t);
    if (!real) real = (ssize_t (*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (fd != logFd && fd > 2 && watched(fd)) logMark("x");
    return real(fd, buf, n);
}

ssize_t pwritev(int fd, const struct iovec* iov, int count, off_t offset) {
    static ssize_t (*real)(int, const struct iovec*, int, off_t);
    if (!real) real = (ssize_t (*)(int, const struct iovec*, int, off_t))dlsym(RTLD_NEXT, "pwritev");
    if (watched(fd)) logMark("x");
    return real(fd, iov, count, offset);
}

int ftruncate(int fd, off_t length) {
    static int (*real)(int, off_t);
    if (!real) real = (int (*)(int, off_t))dlsym(RTLD_NEXT, "ftruncate");
    if (watched(fd)) logMark("x");
    return real(fd, length);
}
