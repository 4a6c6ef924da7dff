#pragma once
// The one-writer rule: a database is changed only by a process holding an exclusive lock on it.
// Taking the lock refuses, each with its own message naming the file: a file that cannot be
// written (read-only: no write bit in its mode, which holds for root too), anything but a regular
// file, a file another writer holds, and a file that Access has open (its lock file, .ldb or
// .laccdb, lies beside it, its name in any case).

#include <optional>
#include <string>

namespace jet {

class FileLock {
public:
    // Opens `path` for writing and locks it. Throws Error when it cannot.
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // The descriptor opened for writing, for the writer to use.
    int descriptor() const { return fd_; }
    const std::string& path() const { return path_; }
    // Whether the path still names the file opened (the same device and inode): false when it has
    // been removed, or another file was moved over it.
    bool stillAtPath() const;

    // The lock file Access keeps beside a database it has open (x.mdb -> x.ldb, x.accdb ->
    // x.laccdb), when there is one; its name is compared without regard to case (X.LDB, x.Ldb), as
    // on the file systems Access runs on.
    static std::optional<std::string> findAccessLockFile(const std::string& path);

private:
    std::string path_;
    int fd_ = -1;
    unsigned long long device_ = 0;
    unsigned long long inode_ = 0;
};

} // namespace jet
