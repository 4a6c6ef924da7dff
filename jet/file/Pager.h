#pragma once
// The pager: every page of the database goes through here. Pages are read on demand, decoded by
// the page codec, and kept in a small cache of the most recently used ones, so memory stays bounded
// whatever the size of the file. Page 0 is held apart, unmasked.

#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "jet/base/Bytes.h"
#include "jet/file/PageCodec.h"
#include "jet/file/PageFile.h"
#include "jet/format/Format.h"

namespace jet {

// A page's plain content; shared so that a caller may keep a page while the cache moves on.
class Page {
public:
    Page(std::uint32_t number, std::vector<std::uint8_t> bytes) : number_(number), bytes_(std::move(bytes)) {}
    std::uint32_t number() const { return number_; }
    ByteView view() const { return ByteView(bytes_.data(), bytes_.size()); }
    std::uint8_t type() const { return bytes_[0]; }

private:
    friend class PageWriter; // changes the pages of its write set in place
    std::uint32_t number_;
    std::vector<std::uint8_t> bytes_;
};
using PageRef = std::shared_ptr<const Page>;

class Pager {
public:
    static constexpr std::size_t DefaultCachePages = 64;

    Pager(std::unique_ptr<PageFile> file, const Format& format, std::unique_ptr<PageCodec> codec,
          std::size_t cachePages = DefaultCachePages);

    const Format& format() const { return format_; }
    const PageFile& file() const { return *file_; }
    // Number of whole pages in the file, as last seen.
    std::uint32_t pageCount() const { return pageCount_; }

    // Page n (n >= 1); throws Corrupt when the file has no such page. A page beyond the end as
    // last seen is looked for again after reading the file's size anew, since another program may
    // have grown the file meanwhile.
    PageRef page(std::uint32_t n);
    // Page n, which must be of the given type; `what` names it in the error.
    PageRef page(std::uint32_t n, std::uint8_t type, const char* what);

    // Puts a freshly opened file in place of the current one and empties the cache.
    void replaceFile(std::unique_ptr<PageFile> file);
    // Empties the cache and reads the file's size anew: what the file holds is no longer known (a
    // writer's commit failed partway).
    void forgetCached();
    // A writer in this process has written `pages` to the file, which now has `count` pages: the
    // cached copies of those pages are replaced by what was written, the others stay hot.
    void written(const std::vector<PageRef>& pages, std::uint32_t count);

    // Pages read from the file so far (cache misses); for tests of how much a task reads.
    std::uint64_t pagesRead() const { return pagesRead_; }

private:
    std::uint32_t countPages() const;

    std::unique_ptr<PageFile> file_;
    const Format& format_;
    std::unique_ptr<PageCodec> codec_;
    std::size_t capacity_;
    std::uint32_t pageCount_;
    std::uint64_t pagesRead_ = 0;
    std::list<PageRef> lru_; // most recent first
    std::unordered_map<std::uint32_t, std::list<PageRef>::iterator> index_;
};

} // namespace jet
