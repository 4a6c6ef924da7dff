#include "jet/file/FileLock.h"

#include "jet/base/Error.h"
#include "jet/format/NameMatch.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jet {

std::optional<std::string> FileLock::findAccessLockFile(const std::string& path) {
    const std::filesystem::path p(path);
    std::string ext = p.extension().string();
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const std::string wanted = p.stem().string() + (ext == ".accdb" ? ".laccdb" : ".ldb");
    std::filesystem::path dir = p.parent_path();
    if (dir.empty()) dir = ".";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == wanted.size() && sameNameIgnoringCase(name, wanted)) return it->path().string();
    }
    return std::nullopt;
}

FileLock::FileLock(const std::string& path) : path_(path) {
    if (auto lockFile = findAccessLockFile(path))
        throw Error(path + ": the database is open in Microsoft Access or another program (its lock file " +
                    *lockFile +
                    " exists). Close it there, or delete the lock file if no program has it open.");
    // Not blocking: opening a FIFO must not wait for a writer; what was opened is checked below.
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) {
        const int err = errno;
        if (err == EISDIR) throw Error(path + ": is a directory, not a database file");
        if (err == EACCES || err == EROFS || err == EPERM)
            throw Error(path + ": the file is read-only; Fendrel cannot change it.");
        throw Error(path + ": cannot open the file for writing: " + std::strerror(err));
    }
    struct stat st {};
    std::string refusal;
    if (::fstat(fd_, &st) != 0)
        refusal = path + ": cannot read the file's status: " + std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        refusal = path + ": is not a regular file, not a database file";
    // Root may write a file whatever its mode; a file without any write bit is still read-only.
    else if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        refusal = path + ": the file is read-only; Fendrel cannot change it.";
    device_ = st.st_dev;
    inode_ = st.st_ino;
    if (!refusal.empty()) {
        ::close(fd_);
        fd_ = -1;
        throw Error(refusal);
    }
    // flock locks belong to this open file description, so readers elsewhere in this process that
    // open the file themselves neither take nor lose it.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd_);
        fd_ = -1;
        if (err == EWOULDBLOCK)
            throw Error(path +
                        ": another program is changing this database; try again when it has finished.");
        throw Error(path + ": cannot lock the file: " + std::strerror(err));
    }
}

bool FileLock::stillAtPath() const {
    struct stat st {};
    return ::stat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_;
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

} // namespace jet
