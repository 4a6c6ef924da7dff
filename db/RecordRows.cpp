#include "db/RecordRows.h"

#include "db/Error.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace db {

RecordRows::RecordRows(std::unique_ptr<RowSource> source)
    : fields_(source->fields()), source_(std::move(source)), seekable_(source_->canSeek()) {}

void RecordRows::finish() {
    ended_ = true;
    // Release the source (and the file it reads) when every row it gave is held.
    if (!partial_) source_.reset();
}

void RecordRows::step(bool hold) {
    if (at_ != count_) {
        source_->seek(resume_);
        at_ = count_;
    }
    const std::size_t b = count_ / BlockRows, k = count_ % BlockRows;
    bool more = false;
    std::vector<Variant> row;
    try {
        if (seekable_ && k == 0) marks_.push_back(source_->mark());
        more = hold ? source_->next(row) : source_->skip();
    } catch (...) {
        finish();
        throw;
    }
    if (!more) {
        finish();
        return;
    }
    ++at_;
    ++count_;
    auto it = blocks_.find(b);
    if (hold && k == 0) it = blocks_.emplace(b, Block{}).first;
    if (hold && it != blocks_.end() && it->second.rows.size() == k) {
        it->second.rows.push_back(std::move(row));
        it->second.used = ++clock_;
        if (k == 0) dropOldBlocks(b);
    } else {
        partial_ = true;
    }
}

void RecordRows::dropOldBlocks(std::size_t keep) {
    if (!seekable_) return;
    while (blocks_.size() > HeldBlocks) {
        auto oldest = blocks_.end();
        for (auto it = blocks_.begin(); it != blocks_.end(); ++it)
            if (it->first != keep && (oldest == blocks_.end() || it->second.used < oldest->second.used))
                oldest = it;
        blocks_.erase(oldest);
        partial_ = true;
    }
}

RecordRows::Block RecordRows::spareBlock(std::size_t b) {
    // Block b's rows, read in part, or those of the block the window would let go for it: their rows'
    // room serves block b's, read a block at a time over a long table.
    Block spare;
    auto it = blocks_.find(b);
    if (it == blocks_.end() && seekable_ && blocks_.size() >= HeldBlocks) {
        it = blocks_.begin();
        for (auto other = blocks_.begin(); other != blocks_.end(); ++other)
            if (other->second.used < it->second.used) it = other;
    }
    if (it == blocks_.end()) return spare;
    spare = std::move(it->second);
    blocks_.erase(it);
    partial_ = true;
    return spare;
}

RecordRows::Block& RecordRows::load(std::size_t b) {
    if (!source_)
        throw Error(ErrorNumber::Unspecified, "The record set's rows can no longer be read.");
    const std::size_t first = b * BlockRows, n = std::min(BlockRows, count_ - first);
    if (at_ == count_) resume_ = source_->mark();
    Block block = spareBlock(b);
    block.rows.resize(n);
    if (at_ != first) {
        at_ = SIZE_MAX; // unknown until the seek is done
        source_->seek(marks_.at(b));
        at_ = first;
    }
    for (std::size_t i = 0; i < n; ++i) {
        bool more = false;
        try {
            more = source_->next(block.rows[i]);
        } catch (...) {
            at_ = SIZE_MAX;
            throw;
        }
        if (!more) {
            at_ = SIZE_MAX;
            throw Error(ErrorNumber::Unspecified,
                        "The table's rows changed while they were read: row " + std::to_string(first + i + 1) +
                            " is no longer there.");
        }
        ++at_;
    }
    block.used = ++clock_;
    Block& held = blocks_[b] = std::move(block);
    dropOldBlocks(b);
    return held;
}

std::size_t RecordRows::fetchUpTo(std::size_t n) {
    while (!ended_ && count_ < n)
        step(true);
    return std::min(n, count_);
}

std::size_t RecordRows::fetchAll() {
    // The first blocks are held, as a small table's rows all are; past them rows are only counted.
    while (!ended_)
        step(!seekable_ || count_ < BlockRows * HeldBlocks);
    return count_;
}

std::size_t RecordRows::held() const {
    std::size_t n = 0;
    for (const auto& [b, block] : blocks_)
        n += block.rows.size();
    return n;
}

const std::vector<Variant>& RecordRows::row(std::size_t i) {
    if (i >= count_) throw std::out_of_range("RecordRows::row");
    const std::size_t b = i / BlockRows, k = i % BlockRows;
    auto it = blocks_.find(b);
    if (it != blocks_.end() && k < it->second.rows.size()) {
        it->second.used = ++clock_;
        return it->second.rows[k];
    }
    return load(b).rows[k];
}

} // namespace db
