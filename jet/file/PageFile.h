#pragma once
// The database file as raw bytes: reads (and, for writers, will write) whole pages at page-size
// offsets. Knows nothing of the format beyond the page size. Only a regular file is a database:
// a directory, a FIFO, a device or a socket is refused when opened, without waiting on it.

#include <cstdint>
#include <string>
#include <vector>

namespace jet {

class PageFile {
public:
    // Opens for reading; throws Error naming the file when it cannot be opened or is not a
    // regular file.
    explicit PageFile(const std::string& path);
    // A file held in memory (tests, fuzzing); `name` stands for its path in messages.
    PageFile(std::string name, std::vector<std::uint8_t> bytes);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    const std::string& path() const { return path_; }
    // The size when the file was opened or last refreshed.
    std::uint64_t size() const { return size_; }
    // Reads the size again, for a file another program may have grown meanwhile; true when it
    // changed.
    bool refreshSize();

    // Whether another program may be changing the file: it is not as it was when opened (its size
    // or its time of change differ), or a writer holds the lock on it.
    bool changedElsewhere() const;

    // Reads up to length bytes at offset; returns how many were there. A read that starts where the
    // one before ended reads ahead, up to ReadAheadBytes in one call, and the reads after it that
    // fall within are served from there: a scan asks for one page after another.
    std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t length);
    // Forgets what was read ahead: the file has been written.
    void forgetReadAhead();
    static constexpr std::size_t ReadAheadBytes = 64 * 1024;

    std::uint64_t bytesRead() const { return bytesRead_; }

private:
    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::uint64_t openedSize_ = 0;
    std::int64_t openedChange_ = 0; // nanoseconds
    std::vector<std::uint8_t> memory_;
    // What was read ahead, from offset aheadAt_; where the last read ended.
    std::vector<std::uint8_t> ahead_;
    std::uint64_t aheadAt_ = 0;
    std::uint64_t next_ = UINT64_MAX;

    std::size_t readFile(std::uint64_t offset, std::uint8_t* out, std::size_t length);
};

} // namespace jet
