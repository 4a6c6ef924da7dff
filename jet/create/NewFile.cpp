#include "jet/create/NewFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "jet/base/Error.h"

namespace jet {

namespace {
[[noreturn]] void fail(const std::string& path, const std::string& what) {
    throw Error(path + ": " + what + ": " + std::strerror(errno));
}
} // namespace

NewFile::NewFile(std::string path, std::size_t pageSize) : path_(std::move(path)), pageSize_(pageSize) {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        if (errno == EEXIST) throw Error(path_ + ": the file exists already; it is never overwritten");
        fail(path_, "cannot create");
    }
}

NewFile::~NewFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(path_.c_str());
}

void NewFile::writePage(std::uint32_t number, const Bytes& plain) {
    if (plain.size() != pageSize_)
        throw Error(path_ + ": internal error: page " + std::to_string(number) + " has the wrong size");
    Bytes encoded;
    if (codec_ && number != 0) {
        encoded = plain;
        codec_->encode(number, encoded.data(), encoded.size());
    }
    const Bytes& bytes = encoded.empty() ? plain : encoded;
    auto offset = static_cast<off_t>(std::uint64_t{number} * pageSize_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n =
            ::pwrite(fd_, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path_, "cannot write page " + std::to_string(number));
        }
        done += static_cast<std::size_t>(n);
    }
}

Bytes NewFile::readPage(std::uint32_t number) const {
    Bytes out(pageSize_);
    auto offset = static_cast<off_t>(std::uint64_t{number} * pageSize_);
    std::size_t done = 0;
    while (done < out.size()) {
        ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw Error(path_ + ": cannot read back page " + std::to_string(number));
        done += static_cast<std::size_t>(n);
    }
    if (codec_ && number != 0) codec_->decode(number, out.data(), out.size());
    return out;
}

void NewFile::commit() {
    if (::fsync(fd_) != 0) fail(path_, "cannot flush to disk");
    if (::close(fd_) != 0) {
        fd_ = -1;
        fail(path_, "cannot close");
    }
    fd_ = -1;
    // The new directory entry must reach the disk too.
    std::string dir = std::filesystem::path(path_).parent_path().string();
    if (dir.empty()) dir = ".";
    int d = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d >= 0) {
        ::fsync(d);
        ::close(d);
    }
    committed_ = true;
}

} // namespace jet
