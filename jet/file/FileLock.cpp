#include "jet/file/FileLock.h"

#include "jet/base/Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace jet {

std::string FileLock::accessLockFileOf(const std::string& path) {
    std::filesystem::path p(path);
    std::string ext = p.extension().string();
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    p.replace_extension(ext == ".accdb" ? ".laccdb" : ".ldb");
    return p.string();
}

FileLock::FileLock(const std::string& path) : path_(path) {
    std::error_code ec;
    const std::string lockFile = accessLockFileOf(path);
    if (std::filesystem::exists(lockFile, ec))
        throw Error(path + ": the database is open in Microsoft Access or another program (its lock file " +
                    lockFile +
                    " exists). Close it there, or delete the lock file if no program has it open.");
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        const int err = errno;
        if (err == EACCES || err == EROFS || err == EPERM)
            throw Error(path + ": the file is read-only; Fendrel cannot change it.");
        throw Error(path + ": cannot open the file for writing: " + std::strerror(err));
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

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

} // namespace jet
