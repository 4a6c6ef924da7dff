#include "jet/file/Pager.h"

#include <string>

namespace jet {

Pager::Pager(std::unique_ptr<PageFile> file, const Format& format, std::unique_ptr<PageCodec> codec,
             std::size_t cachePages)
    : file_(std::move(file)), format_(format), codec_(std::move(codec)),
      capacity_(cachePages ? cachePages : 1) {
    pageCount_ = countPages();
}

// Whole pages in the file, no more than the format allows.
std::uint32_t Pager::countPages() const {
    std::uint64_t pages = file_->size() / format_.pageSize;
    std::uint64_t limit = maxFileSize(format_) / format_.pageSize;
    return static_cast<std::uint32_t>(pages < limit ? pages : limit);
}

void Pager::replaceFile(std::unique_ptr<PageFile> file) {
    file_ = std::move(file);
    pageCount_ = countPages();
    lru_.clear();
    index_.clear();
}

void Pager::forgetCached() {
    lru_.clear();
    index_.clear();
    file_->forgetReadAhead();
    file_->refreshSize();
    pageCount_ = countPages();
}

void Pager::written(const std::vector<PageRef>& pages, std::uint32_t count) {
    file_->forgetReadAhead();
    for (const PageRef& p : pages)
        if (auto hit = index_.find(p->number()); hit != index_.end()) *hit->second = p;
    if (count != pageCount_) {
        file_->refreshSize();
        pageCount_ = countPages();
    }
}

PageRef Pager::page(std::uint32_t n) {
    if (n == 0) corrupt("a pointer leads to page 0, the header");
    auto hit = index_.find(n);
    if (hit != index_.end()) {
        lru_.splice(lru_.begin(), lru_, hit->second);
        return *hit->second;
    }
    // A page past the end as last seen may be one another program has added since: look again
    // before calling it damage.
    if (n >= pageCount_ && file_->refreshSize()) pageCount_ = countPages();
    if (n >= pageCount_)
        corrupt("page " + std::to_string(n) + " lies beyond the end of the file (" +
                std::to_string(pageCount_) + " pages; is the file truncated?)");
    std::vector<std::uint8_t> bytes(format_.pageSize);
    const std::uint64_t at = std::uint64_t{n} * format_.pageSize;
    std::size_t got = file_->readAt(at, bytes.data(), bytes.size());
    if (got != bytes.size() && file_->refreshSize()) {
        pageCount_ = countPages();
        got = file_->readAt(at, bytes.data(), bytes.size());
    }
    if (got != bytes.size()) corrupt("page " + std::to_string(n) + " could not be read in full");
    ++pagesRead_;
    if (codec_) codec_->decode(n, bytes.data(), bytes.size());
    auto ref = std::make_shared<const Page>(n, std::move(bytes));
    lru_.push_front(ref);
    index_[n] = lru_.begin();
    if (lru_.size() > capacity_) {
        index_.erase(lru_.back()->number());
        lru_.pop_back();
    }
    return ref;
}

PageRef Pager::page(std::uint32_t n, std::uint8_t type, const char* what) {
    PageRef p = page(n);
    if (p->type() != type)
        corrupt("page " + std::to_string(n) + " should be a " + what + " page (type " + std::to_string(type) +
                ") but has type " + std::to_string(p->type()));
    return p;
}

} // namespace jet
