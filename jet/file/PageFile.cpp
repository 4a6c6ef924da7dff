#include "jet/file/PageFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "jet/base/Error.h"

namespace jet {

namespace {

std::int64_t changeTime(const struct stat& st) {
    return std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
}

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

} // namespace

PageFile::PageFile(const std::string& path) : path_(path) {
    // Not blocking, so that opening a FIFO does not wait for a writer; what was opened is checked
    // before anything is read.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) throw Error(path + ": cannot open: " + std::strerror(errno));
    struct stat st {};
    std::string refusal;
    if (::fstat(fd_, &st) != 0)
        refusal = path + ": cannot read its size: " + std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        refusal = path + ": is " + kindOf(st.st_mode) + ", not a database file";
    if (!refusal.empty()) {
        ::close(fd_);
        fd_ = -1;
        throw Error(refusal);
    }
    size_ = openedSize_ = static_cast<std::uint64_t>(st.st_size);
    openedChange_ = changeTime(st);
}

bool PageFile::changedElsewhere() const {
    if (fd_ < 0) return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return false;
    if (static_cast<std::uint64_t>(st.st_size) != openedSize_ || changeTime(st) != openedChange_) return true;
    // The writer's lock is an exclusive flock on the file: a shared one is refused while it is held.
    const int probe = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (probe < 0) return false;
    const bool held = ::flock(probe, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(probe);
    return held;
}

PageFile::PageFile(std::string name, std::vector<std::uint8_t> bytes)
    : path_(std::move(name)), size_(bytes.size()), memory_(std::move(bytes)) {}

PageFile::~PageFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool PageFile::refreshSize() {
    if (fd_ < 0) return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw Error(path_ + ": cannot read its size: " + std::strerror(errno));
    const auto now = static_cast<std::uint64_t>(st.st_size);
    if (now == size_) return false;
    size_ = now;
    return true;
}

std::size_t PageFile::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) {
    if (offset >= size_) return 0;
    if (fd_ < 0) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
        std::memcpy(out, memory_.data() + offset, n);
        bytesRead_ += n;
        return n;
    }
    if (offset >= aheadAt_ && offset - aheadAt_ + length <= ahead_.size()) {
        std::memcpy(out, ahead_.data() + (offset - aheadAt_), length);
        next_ = offset + length;
        return length;
    }
    if (offset != next_ || length >= ReadAheadBytes) {
        const std::size_t got = readFile(offset, out, length);
        next_ = offset + got;
        return got;
    }
    // A read that follows the one before: a scan, which asks for the pages after it next.
    ahead_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(ReadAheadBytes, size_ - offset)));
    ahead_.resize(readFile(offset, ahead_.data(), ahead_.size()));
    aheadAt_ = offset;
    const std::size_t got = std::min(length, ahead_.size());
    std::memcpy(out, ahead_.data(), got);
    next_ = offset + got;
    return got;
}

void PageFile::forgetReadAhead() {
    ahead_.clear();
    next_ = UINT64_MAX;
}

std::size_t PageFile::readFile(std::uint64_t offset, std::uint8_t* out, std::size_t length) {
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd_, out + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            throw Error(path_ + ": read error at byte " + std::to_string(offset + got) + ": " +
                        std::strerror(errno));
        if (n == 0) break; // the end of the file
        got += static_cast<std::size_t>(n);
    }
    bytesRead_ += got;
    return got;
}

} // namespace jet
