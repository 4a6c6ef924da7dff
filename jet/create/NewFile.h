#pragma once
// A database file being written from nothing: created exclusively (an existing file is never
// touched), written page by page at page-size offsets, made durable with fsync, and removed again
// when the writer gives up before committing.

#include <cstdint>
#include <string>

#include <memory>

#include "jet/encode/PageAllocator.h"
#include "jet/file/PageCodec.h"

namespace jet {

class NewFile : public PageSink {
public:
    // Creates `path`; throws Error when it exists or cannot be created.
    NewFile(std::string path, std::size_t pageSize);
    ~NewFile(); // removes the file unless commit() succeeded
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    const std::string& path() const { return path_; }
    std::size_t pageSize() const { return pageSize_; }

    // Pages after 0 are encoded with `codec` from now on (an encrypted file).
    void setCodec(std::unique_ptr<PageCodec> codec) { codec_ = std::move(codec); }

    // Writes one whole page (bytes.size() == pageSize).
    void writePage(std::uint32_t number, const Bytes& bytes) override;
    // Reads a page written earlier.
    Bytes readPage(std::uint32_t number) const;
    // Flushes the file and its directory entry to disk, then closes it; the file then stays.
    void commit();

private:
    std::string path_;
    std::size_t pageSize_;
    int fd_ = -1;
    bool committed_ = false;
    std::unique_ptr<PageCodec> codec_;
};

} // namespace jet
