#pragma once
// The rows of a record set, fetched from their source as they are asked for. A record set and the
// grids bound to it share one of these, so a grid keeps its rows after the record set is closed
// and released.
//
// Over a source that can seek (a table), only a window of rows is held: blocks of BlockRows rows,
// at most HeldBlocks of them, the least recently used let go first and read again from the place
// recorded where each block starts. Counting every row (fetchAll) holds the first blocks and only
// passes over the rest, so a table of millions of rows is walked and counted in little memory.
// Over a source that cannot seek every row read is held. A source that was read to its end with
// every row still held is released at once, and with it the file it reads.

#include "db/RowSource.h"

#include <map>
#include <memory>

namespace db {

class RecordRows {
public:
    explicit RecordRows(std::unique_ptr<RowSource> source);

    const std::vector<FieldInfo>& fields() const { return fields_; }
    // Makes rows [0, n) available as far as there are any; returns how many are.
    std::size_t fetchUpTo(std::size_t n);
    // How many rows are known so far.
    std::size_t fetched() const { return count_; }
    // True once the source's end (or a failure reading it) was reached.
    bool complete() const { return ended_; }
    // Goes to the end of the rows; the exact count.
    std::size_t fetchAll();
    // Row i of those known (std::out_of_range beyond them). The reference stays good until a row of
    // another block is asked for. Throws db::Error when a row let go cannot be read again.
    const std::vector<Variant>& row(std::size_t i);
    // How many rows are held in memory now.
    std::size_t held() const;

    static constexpr std::size_t BlockRows = 256;
    static constexpr std::size_t HeldBlocks = 16;

private:
    struct Block {
        std::vector<std::vector<Variant>> rows; // from the block's first row on, without gaps
        std::uint64_t used = 0;
    };
    // Reads row count_ from the source, holding it or only passing over it.
    void step(bool hold);
    Block& load(std::size_t block);
    // A block to read block `block` into (see load), taken out of the window.
    Block spareBlock(std::size_t block);
    void dropOldBlocks(std::size_t keep);
    void finish(); // the end or a failure: the source goes when nothing needs it again

    std::vector<FieldInfo> fields_;
    std::unique_ptr<RowSource> source_;
    bool seekable_ = false;
    bool ended_ = false;
    bool partial_ = false;  // some known row is not held
    std::size_t count_ = 0; // rows known
    std::size_t at_ = 0;    // the row the source gives next
    RowSource::Mark resume_ = 0; // where row count_ starts, while at_ != count_
    std::vector<RowSource::Mark> marks_; // where each block starts
    std::map<std::size_t, Block> blocks_;
    std::uint64_t clock_ = 0;
};

} // namespace db
