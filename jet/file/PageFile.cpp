#include "jet/file/PageFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "jet/base/Error.h"

namespace jet {

PageFile::PageFile(const std::string& path) : path_(path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw Error(path + ": is a directory, not a database file");
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) throw Error(path + ": cannot open: " + std::strerror(errno));
    auto sz = std::filesystem::file_size(path, ec);
    if (ec) {
        std::fclose(file_);
        throw Error(path + ": cannot read its size: " + ec.message());
    }
    size_ = sz;
}

PageFile::PageFile(std::string name, std::vector<std::uint8_t> bytes)
    : path_(std::move(name)), size_(bytes.size()), memory_(std::move(bytes)) {}

PageFile::~PageFile() {
    if (file_) std::fclose(file_);
}

std::size_t PageFile::readAt(std::uint64_t offset, std::uint8_t* out, std::size_t length) {
    if (offset >= size_) return 0;
    if (!file_) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
        std::memcpy(out, memory_.data() + offset, n);
        bytesRead_ += n;
        return n;
    }
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0)
        throw Error(path_ + ": cannot seek to byte " + std::to_string(offset) + ": " + std::strerror(errno));
    std::size_t got = std::fread(out, 1, length, file_);
    if (got < length && std::ferror(file_))
        throw Error(path_ + ": read error at byte " + std::to_string(offset) + ": " + std::strerror(errno));
    bytesRead_ += got;
    return got;
}

} // namespace jet
