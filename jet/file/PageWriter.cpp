#include "jet/file/PageWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <unistd.h>

#include "jet/base/Error.h"

namespace jet {

namespace {

WriteFailure::Kind failureKind(int err) {
    return err == ENOSPC || err == EDQUOT || err == EFBIG ? WriteFailure::Kind::DiskFull : WriteFailure::Kind::Io;
}

} // namespace

void FileOutput::write(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t w = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(offset + done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            const int err = w < 0 ? errno : ENOSPC; // a write that takes nothing found no room
            throw WriteFailure(path_ + ": cannot write page " + std::to_string(offset / (size ? size : 1)) +
                                   ": " + std::strerror(err),
                               failureKind(err));
        }
        done += static_cast<std::size_t>(w);
    }
}

void FileOutput::sync() {
    if (::fsync(fd_) != 0) {
        const int err = errno;
        throw WriteFailure(path_ + ": cannot flush the file to disk: " + std::strerror(err), failureKind(err));
    }
}

PageWriter::PageWriter(Pager& pager, int fd, std::unique_ptr<PageCodec> codec, std::string path)
    : PageWriter(pager, std::make_unique<FileOutput>(fd, path), std::move(codec), path) {}

PageWriter::PageWriter(Pager& pager, std::unique_ptr<PageOutput> out, std::unique_ptr<PageCodec> codec,
                       std::string path)
    : pager_(pager), out_(std::move(out)), codec_(std::move(codec)), path_(std::move(path)),
      fileCount_(pager.pageCount()), pageCount_(pager.pageCount()) {}

PeekedPage PageWriter::peek(std::uint32_t n) {
    auto it = pages_.find(n);
    if (it == pages_.end()) return PeekedPage(pager_.page(n));
    if (auto d = drafts_.find(n); d != drafts_.end()) layOut(n, d->second);
    return PeekedPage(it->second);
}

void PageWriter::layOut(std::uint32_t n, Drafted& d) {
    if (!d.stale) return;
    d.draft->layOut(pages_.at(n)->bytes_);
    d.stale = false;
}

PageDraft* PageWriter::draft(std::uint32_t n) const {
    auto it = drafts_.find(n);
    return it == drafts_.end() ? nullptr : it->second.draft.get();
}

PageDraft& PageWriter::keepDraft(std::uint32_t n,
                                 const std::function<std::unique_ptr<PageDraft>(Bytes&)>& make) {
    if (drafts_.count(n)) throw Error("internal error: page " + std::to_string(n) + " is drafted twice");
    Drafted d{make(bytesOf(n)), false};
    return *drafts_.emplace(n, std::move(d)).first->second.draft;
}

void PageWriter::drafted(std::uint32_t n) {
    auto it = drafts_.find(n);
    if (it == drafts_.end()) throw Error("internal error: page " + std::to_string(n) + " has no draft");
    it->second.stale = true;
}

void PageWriter::refuseWhenStopped() const {
    if (!stopped_) return;
    throw WriteFailure(path_ + ": no more changes are made to the file in this session, since writing it failed (" +
                           stopped_->what() + "); open it again to go on",
                       stopped_->kind());
}

void PageWriter::stop(const WriteFailure& why) {
    if (!stopped_) stopped_ = why;
    discard();
    pager_.forgetCached();
}

Bytes& PageWriter::edit(std::uint32_t n) {
    // Whoever edits the bytes changes them behind the draft's back: the draft goes.
    if (auto d = drafts_.find(n); d != drafts_.end()) {
        layOut(n, d->second);
        drafts_.erase(d);
    }
    return bytesOf(n);
}

Bytes& PageWriter::bytesOf(std::uint32_t n) {
    refuseWhenStopped();
    auto it = pages_.find(n);
    if (it != pages_.end()) return it->second->bytes_;
    if (n == 0) throw Error("internal error: the header page is not changed by page writes");
    PageRef clean = pager_.page(n);
    ByteView v = clean->view();
    auto page = std::make_shared<Page>(n, Bytes(v.data(), v.data() + v.size()));
    return pages_.emplace(n, std::move(page)).first->second->bytes_;
}

void PageWriter::replace(std::uint32_t n, const Bytes& bytes) {
    Bytes& page = edit(n);
    if (bytes.size() != page.size()) throw Error("internal error: a page of the wrong size");
    std::copy(bytes.begin(), bytes.end(), page.begin());
}

std::uint32_t PageWriter::append() {
    refuseWhenStopped();
    const Format& f = pager_.format();
    if ((std::uint64_t{pageCount_} + 1) * f.pageSize > maxFileSize(f))
        throw Error("the database would grow beyond the largest size its format allows (" +
                    std::to_string(maxFileSize(f) >> 20) + " MB)");
    std::uint32_t n = pageCount_++;
    pages_.emplace(n, std::make_shared<Page>(n, Bytes(f.pageSize, 0)));
    return n;
}

PageWriter::Stage PageWriter::stageOf(std::uint32_t n) const {
    auto it = stages_.find(n);
    return it == stages_.end() ? Stage{} : it->second;
}

bool PageWriter::tryOrder(const std::vector<Order>& orders) {
    // Worked out on a copy of the stages involved (a few pages: looked through in turn), taken on only
    // when every order holds. Its room is made first, so that the stages it gives stay where they are.
    trial_.clear();
    trial_.reserve(2 * orders.size());
    auto get = [&](std::uint32_t n) -> Stage& {
        for (auto& [page, stage] : trial_)
            if (page == n) return stage;
        return trial_.emplace_back(n, stageOf(n)).second;
    };
    for (const Order& o : orders) {
        if (o.later == o.earlier) return false;
        Stage& earlier = get(o.earlier);
        Stage& later = get(o.later);
        int level = std::max({later.level, earlier.level + 1, o.atLeast});
        if (level >= later.ceiling) return false;
        later.level = level;
        earlier.ceiling = std::min(earlier.ceiling, level);
    }
    for (const auto& [n, s] : trial_)
        stages_[n] = s;

    return true;
}

void PageWriter::writeThrough(std::uint32_t n, const Bytes& plain) {
    const std::size_t size = plain.size();
    const std::uint8_t* out = plain.data();
    Bytes encoded;
    if (codec_) {
        encoded = plain;
        codec_->encode(n, encoded.data(), encoded.size());
        out = encoded.data();
    }
    out_->write(std::uint64_t{n} * size, out, size);
}

void PageWriter::sync() {
    out_->sync();
    ++syncs_;
}

void PageWriter::discard() {
    drafts_.clear();
    pages_.clear();
    stages_.clear();
    pageCount_ = fileCount_;
}

void PageWriter::commit() {
    refuseWhenStopped();
    if (pages_.empty()) {
        stages_.clear();
        return;
    }
    for (auto& [n, d] : drafts_)
        layOut(n, d);
    std::map<int, std::vector<std::uint32_t>> byStage;
    for (const auto& [n, bytes] : pages_)
        byStage[stageOf(n).level].push_back(n);
    std::vector<PageRef> written;
    written.reserve(pages_.size());
    try {
        for (auto& [level, numbers] : byStage) {
            // Ascending within a stage, so a file grows without holes where it can.
            std::sort(numbers.begin(), numbers.end());
            for (std::uint32_t n : numbers) {
                const std::shared_ptr<Page>& page = pages_.at(n);
                writeThrough(n, page->bytes_);
                written.push_back(page);
            }
            sync();
        }
    } catch (const WriteFailure& e) {
        // Kept, these pages would be written again later over whatever the failed stage left,
        // against definitions that are no longer the file's.
        stop(e);
        throw;
    }
    drafts_.clear();
    pages_.clear();
    stages_.clear();
    fileCount_ = pageCount_;
    // The file is read through its own descriptor, which sees these writes at once: only the
    // reader's cached copies of the pages written are out of date.
    pager_.written(written, pageCount_);
}

} // namespace jet
