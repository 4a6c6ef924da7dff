#pragma once
// Changing the pages of an open database, durably and in order. Changed pages are held in memory as
// a write set until commit(). Each changed page has a stage; commit writes the stages in ascending
// order, each page whole with one pwrite, and calls fsync after each stage. A page that makes
// something reachable (a row pointer, a usage-map bit, the first page of a table definition) is put
// in a later stage than what it points at, so a process killed at any instant leaves the old or the
// new content of every page and never a pointer to something not yet written.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "jet/base/ByteWriter.h"
#include "jet/base/Error.h"
#include "jet/file/PageCodec.h"
#include "jet/file/Pager.h"

namespace jet {

// Pages a long change may hold in memory before it writes them (64 MB of 4 KB pages).
inline constexpr std::size_t MaxPendingPages = 16384;

// Where a page writer's pages go: the database file, or a recorder in tests.
class PageOutput {
public:
    virtual ~PageOutput() = default;
    // Writes all `size` bytes at `offset`; throws WriteFailure when it cannot.
    virtual void write(std::uint64_t offset, const std::uint8_t* data, std::size_t size) = 0;
    // Makes everything written so far durable; throws WriteFailure when it cannot.
    virtual void sync() = 0;
};

// The database file opened for writing: pwrite and fsync.
class FileOutput : public PageOutput {
public:
    FileOutput(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    void write(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override;
    void sync() override;

private:
    int fd_;
    std::string path_;
};

// A page as PageWriter::peek shows it. It holds the page, so the bytes of view() stay valid while
// it lives, across later peeks, edits, commits and discards (a page of the write set shows the
// edits made since; one discarded or written keeps what it showed). A view is never taken from a
// temporary, where it would outlive the page it shows.
class PeekedPage {
public:
    explicit PeekedPage(PageRef page) : page_(std::move(page)) {}
    ByteView view() const& { return page_->view(); }
    ByteView view() const&& = delete;
    std::uint32_t number() const { return page_->number(); }

private:
    PageRef page_;
};

// A page of the write set held by its changer in a form of its own (a data page's rows, say) that is
// cheaper to change again than the page's bytes. The bytes are laid out from it only when they are
// needed: before the page is peeked, edited, replaced or written.
class PageDraft {
public:
    virtual ~PageDraft() = default;
    // Writes the draft's content into `page`, the write set's bytes of its page (the ones it was made
    // from and laid out into before).
    virtual void layOut(Bytes& page) = 0;
};

class PageWriter {
public:
    // `fd` is the database opened for writing (held by the caller's lock); `codec` encodes pages
    // (null for plain files). Reads go through `pager`, whose cached copies of the pages a commit
    // writes are replaced by what it wrote.
    PageWriter(Pager& pager, int fd, std::unique_ptr<PageCodec> codec, std::string path);
    PageWriter(Pager& pager, std::unique_ptr<PageOutput> out, std::unique_ptr<PageCodec> codec,
               std::string path);

    const Format& format() const { return pager_.format(); }
    // The reader's pager (what the file holds, without the write set).
    Pager& pager() { return pager_; }
    // Pages of the file, counting those appended in the write set.
    std::uint32_t pageCount() const { return pageCount_; }

    // The current content of page n: the write set's, else the file's (see PeekedPage).
    PeekedPage peek(std::uint32_t n);
    // Page n to change in place; it joins the write set at stage 0. The reference stays valid until
    // the page is written or discarded; the buffer keeps its size (never assign to it: use replace).
    Bytes& edit(std::uint32_t n);
    // Sets the whole content of page n (which joins the write set) to `bytes`, a page's worth.
    void replace(std::uint32_t n, const Bytes& bytes);
    // The draft page n is held in, or null. A draft lives as long as its page waits in the write set
    // and nobody edits or replaces the page's bytes: it goes when the page is written or discarded,
    // and when edit() or replace() is asked for the page (the bytes are laid out first).
    PageDraft* draft(std::uint32_t n) const;
    // Page n joins the write set, held in the draft that `make` makes of its bytes (the write set's,
    // which the draft may read and lay itself out into while it lives). Returns the draft.
    PageDraft& keepDraft(std::uint32_t n, const std::function<std::unique_ptr<PageDraft>(Bytes&)>& make);
    // The draft of page n changed: its bytes are laid out again before anyone reads or writes them.
    void drafted(std::uint32_t n);
    // Whether page n waits in the write set.
    bool holds(std::uint32_t n) const { return pages_.count(n) != 0; }
    // A new page of zeros at the end of the file; returns its number. Throws Error when the file
    // would outgrow its format.
    std::uint32_t append();
    bool appended(std::uint32_t n) const { return n >= fileCount_; }
    // The first page appended in the write set (pages from here on are new in it).
    std::uint32_t firstAppended() const { return fileCount_; }

    // "Page `later` reaches the disk after page `earlier`", and in stage `atLeast` or later (a
    // page written last of all is given a late stage at once, so that what it follows can still
    // move to later stages without passing it).
    struct Order {
        std::uint32_t later;
        std::uint32_t earlier;
        int atLeast = 0;
    };
    // Takes all of `orders` on, or none of them when they cannot hold together with what the write
    // set already promises (then commit first and ask again: on an empty set they always hold).
    bool tryOrder(const std::vector<Order>& orders);

    // Writes the write set, stage by stage, each followed by fsync. A write or sync that fails
    // stops the writer (see stop) and its WriteFailure is thrown.
    void commit();
    // Drops the write set unwritten and refuses every later change and commit, each with a
    // WriteFailure that says why (the first failure's own message is told once, by its thrower).
    // The reader's cached pages are dropped too: stages written before a failure may be on disk.
    // After a failed sync what the file holds is not known for sure, so nothing is written over
    // it: the file is opened again to go on.
    void stop(const WriteFailure& why);
    // Whether the writer has stopped.
    bool stopped() const { return stopped_.has_value(); }
    // Throws the refusal of a stopped writer (a WriteFailure of its failure's kind).
    void refuseWhenStopped() const;
    // Drops the write set unwritten.
    void discard();
    // Pages waiting in the write set.
    std::size_t pending() const { return pages_.size(); }
    // Number of fsync calls made so far (tests of the write order).
    std::uint64_t syncs() const { return syncs_; }

private:
    struct Stage {
        int level = 0;
        int ceiling = 1 << 30; // lowest stage of a page that must follow this one
    };
    struct Drafted {
        std::unique_ptr<PageDraft> draft;
        bool stale = false; // changed since its bytes were last laid out
    };
    Stage stageOf(std::uint32_t n) const;
    Bytes& bytesOf(std::uint32_t n);
    void layOut(std::uint32_t n, Drafted& d);
    void writeThrough(std::uint32_t n, const Bytes& plain);
    void sync();

    Pager& pager_;
    std::unique_ptr<PageOutput> out_;
    std::unique_ptr<PageCodec> codec_;
    std::string path_;
    std::uint32_t fileCount_;
    std::uint32_t pageCount_;
    std::unordered_map<std::uint32_t, std::shared_ptr<Page>> pages_;
    std::unordered_map<std::uint32_t, Stage> stages_;
    std::vector<std::pair<std::uint32_t, Stage>> trial_; // tryOrder's working copy, kept for its room
    std::unordered_map<std::uint32_t, Drafted> drafts_; // pages of the write set held in drafts
    std::uint64_t syncs_ = 0;
    std::optional<WriteFailure> stopped_;
};

} // namespace jet
