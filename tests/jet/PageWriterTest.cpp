// The order in which changed pages reach the file: each stage whole before the sync that ends it,
// and nothing of a later stage before that sync; orders that contradict the write set refused
// whole; the orders a moved row needs, read back from the writes a batch makes; and data pages held
// as drafts, laid out once.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <unistd.h>

#include "WriteSupport.h"
#include "jet/base/Error.h"
#include "jet/format/DataPage.h"
#include "jet/write/DataPageCompactor.h"
#include "jet/write/RowUpdater.h"
#include "jet/write/UsageMapEditor.h"

namespace {

using namespace writetest;

// Writes to the file and remembers each write's page and each sync.
class Recorder : public jet::PageOutput {
public:
    struct Event {
        bool sync;
        std::uint32_t page;
    };
    Recorder(int fd, std::size_t pageSize, std::vector<Event>& log)
        : file_(fd, "test"), pageSize_(pageSize), log_(log) {}
    void write(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        file_.write(offset, data, size);
        log_.push_back({false, static_cast<std::uint32_t>(offset / pageSize_)});
    }
    void sync() override {
        file_.sync();
        log_.push_back({true, 0});
    }

private:
    jet::FileOutput file_;
    std::size_t pageSize_;
    std::vector<Recorder::Event>& log_;
};

// The sync group (0 = before the first sync) in which each page was written; a page written twice
// fails the test.
std::map<std::uint32_t, int> groupsOf(const std::vector<Recorder::Event>& log) {
    std::map<std::uint32_t, int> group;
    int g = 0;
    for (const auto& e : log) {
        if (e.sync) {
            ++g;
            continue;
        }
        EXPECT_TRUE(group.emplace(e.page, g).second) << "page " << e.page << " written twice";
    }
    return group;
}

struct Opened {
    TempDir dir;
    std::string path = dir.file("p.mdb");
    std::unique_ptr<jet::Database> db;
    int fd = -1;
    std::vector<Recorder::Event> log;
    std::unique_ptr<jet::PageWriter> w;

    explicit Opened(std::size_t rows) {
        makePeople(path, rows);
        db = jet::Database::open(path);
        fd = ::open(path.c_str(), O_RDWR);
        w = std::make_unique<jet::PageWriter>(
            db->pager(), std::make_unique<Recorder>(fd, db->format().pageSize, log), nullptr, path);
    }
    ~Opened() {
        w.reset();
        if (fd >= 0) ::close(fd);
    }
};

TEST(PageWriterStages, EachStageIsWrittenWholeAndSyncedBeforeTheNext) {
    Opened o(400);
    const std::uint32_t n = o.w->pageCount();
    ASSERT_GE(n, 8u);
    // Chains 3 -> 5 -> 2 -> appended, 6 after 3 only, 4 on its own; the page given late stays late.
    for (std::uint32_t p : {2u, 3u, 4u, 5u, 6u})
        o.w->edit(p)[100] ^= 1;
    const std::uint32_t fresh = o.w->append();
    ASSERT_TRUE(o.w->tryOrder({{2, fresh}, {5, 2}, {3, 5}}));
    ASSERT_TRUE(o.w->tryOrder({{6, 3, 3}}));
    ASSERT_TRUE(o.w->tryOrder({{6, 4}}));
    o.w->commit();

    const auto group = groupsOf(o.log);
    EXPECT_EQ(group.size(), 6u);
    EXPECT_LT(group.at(fresh), group.at(2));
    EXPECT_LT(group.at(2), group.at(5));
    EXPECT_LT(group.at(5), group.at(3));
    EXPECT_LT(group.at(3), group.at(6));
    EXPECT_LT(group.at(4), group.at(6));
    ASSERT_FALSE(o.log.empty());
    EXPECT_TRUE(o.log.back().sync) << "the last stage is synced too";
    EXPECT_EQ(o.w->pending(), 0u);
    // Within a stage, ascending: the file grows without holes.
    std::uint32_t last = 0;
    for (const auto& e : o.log) {
        if (e.sync) {
            last = 0;
            continue;
        }
        EXPECT_GT(e.page, last);
        last = e.page;
    }
}

TEST(PageWriterStages, OrdersThatContradictTheWriteSetAreRefusedWhole) {
    Opened o(400);
    for (std::uint32_t p : {2u, 3u, 4u})
        o.w->edit(p)[100] ^= 1;
    ASSERT_TRUE(o.w->tryOrder({{3, 2}}));
    EXPECT_FALSE(o.w->tryOrder({{2, 3}}));
    // The first order of this set would hold alone; with the second, neither is taken on.
    EXPECT_FALSE(o.w->tryOrder({{4, 3}, {2, 4}}));
    EXPECT_FALSE(o.w->tryOrder({{4, 4}}));
    // A page already promised before a late one cannot go after it.
    ASSERT_TRUE(o.w->tryOrder({{4, 2, 5}}));
    EXPECT_FALSE(o.w->tryOrder({{2, 4}}));
    o.w->commit();
    const auto group = groupsOf(o.log);
    EXPECT_LT(group.at(2), group.at(3));
    EXPECT_LT(group.at(2), group.at(4));
    EXPECT_EQ(group.at(3), group.at(2) + 1) << "the refused order {4 after 3} left no trace";
    // On an empty write set every order holds.
    EXPECT_TRUE(o.w->tryOrder({{2, 3}}));
}

TEST(PageWriterStages, AMovedRowsPointerWaitsForTheMapsThatListItsCopy) {
    // Rows of full pages grown in one batch move to pages new in it, several to each; the home
    // page of every pointer must reach the file after the owned-pages map and the global map
    // that make the copy's page part of the table, also for the moves into a page appended by an
    // earlier move of the batch.
    Opened o(600);
    auto def = o.db->table("People");
    jet::RowUpdater updater(*o.w, *def);
    std::vector<jet::RowId> ids;
    {
        auto rows = o.db->rows("People");
        std::vector<jet::FieldBytes> fields;
        jet::RowId id;
        while (rows.nextFields(fields, &id))
            if (ids.empty() || ids.back().page != id.page || id.row % 3 == 0) ids.push_back(id);
    }
    for (jet::RowId id : ids)
        updater.update(id, {{2, text(std::string(90, 'm'))}});
    ASSERT_GT(updater.moves(), 20u);
    const std::uint32_t fileEnd = o.db->pager().pageCount();
    std::set<std::uint32_t> homes; // pages that take a pointer
    for (jet::RowId id : ids) {
        const jet::PeekedPage home = o.w->peek(id.page);
        if (jet::dataPageRow(o.db->format(), home.view(), id.row).moved()) homes.insert(id.page);
    }
    ASSERT_GE(homes.size(), 3u);
    o.w->commit();

    const auto group = groupsOf(o.log);
    const std::uint32_t owned = def->ownedPages.page;
    const std::uint32_t global = jet::UsageMapEditor::Global.page;
    ASSERT_TRUE(group.count(owned) && group.count(global));
    int appended = 0;
    for (const auto& [page, g] : group)
        if (page >= fileEnd) {
            ++appended;
            EXPECT_LT(g, group.at(owned)) << "new page " << page << " after the map that lists it";
            EXPECT_LT(g, group.at(global)) << "new page " << page;
        }
    EXPECT_GE(appended, 2);
    for (std::uint32_t home : homes) {
        if (home == owned || home == global) continue;
        EXPECT_GT(group.at(home), group.at(owned)) << "home page " << home;
        EXPECT_GT(group.at(home), group.at(global)) << "home page " << home;
    }
    o.w.reset();
    auto model = readTable(o.path, "People");
    std::size_t grown = 0;
    for (const auto& [key, row] : model)
        grown += row[2] == "'" + std::string(90, 'm');
    EXPECT_EQ(grown, ids.size());
}

// A write set's stages, at random: every order a writer takes on holds in the writes it makes,
// also where a page is ordered right up to the ceiling a later page set for it.
TEST(PageWriterStages, EveryOrderTakenOnHoldsInTheWrites) {
    Opened o(400);
    // Pages only logged, not written: the stages are all that is looked at.
    struct LogOnly : jet::PageOutput {
        std::vector<Recorder::Event>& log;
        std::size_t pageSize;
        LogOnly(std::vector<Recorder::Event>& l, std::size_t size) : log(l), pageSize(size) {}
        void write(std::uint64_t offset, const std::uint8_t*, std::size_t) override {
            log.push_back({false, static_cast<std::uint32_t>(offset / pageSize)});
        }
        void sync() override { log.push_back({true, 0}); }
    };
    std::mt19937 random(7);
    for (int trial = 0; trial < 300; ++trial) {
        SCOPED_TRACE(trial);
        std::vector<Recorder::Event> log;
        jet::PageWriter w(o.db->pager(), std::make_unique<LogOnly>(log, o.db->format().pageSize), nullptr, o.path);
        for (std::uint32_t p = 2; p <= 9; ++p)
            w.edit(p)[100] ^= 1;
        std::vector<jet::PageWriter::Order> taken;
        for (int set = 0; set < 12; ++set) {
            std::vector<jet::PageWriter::Order> orders;
            for (int k = 0, n = 1 + static_cast<int>(random() % 2); k < n; ++k)
                orders.push_back({2 + static_cast<std::uint32_t>(random() % 8),
                                  2 + static_cast<std::uint32_t>(random() % 8),
                                  random() % 4 == 0 ? static_cast<int>(random() % 4) : 0});
            if (w.tryOrder(orders)) taken.insert(taken.end(), orders.begin(), orders.end());
        }
        w.commit();
        const auto group = groupsOf(log);
        for (const auto& order : taken)
            EXPECT_LT(group.at(order.earlier), group.at(order.later))
                << order.later << " after " << order.earlier;
    }
    // The case at the ceiling itself: 3 must follow 2, so 2 cannot move up to 3's stage.
    std::vector<Recorder::Event> log;
    o.w->edit(2)[100] ^= 1;
    o.w->edit(3)[100] ^= 1;
    o.w->edit(4)[100] ^= 1;
    ASSERT_TRUE(o.w->tryOrder({{3, 2}}));
    EXPECT_FALSE(o.w->tryOrder({{2, 4}})) << "2 would share a stage with 3, which must follow it";
    EXPECT_TRUE(o.w->tryOrder({{3, 4}}));
}

// A failed write or sync stops the writer: what it held goes unwritten, every later change and
// commit is refused saying so, and the reader's cache, which may hold pages a stage wrote before
// the failure, is read anew from the file.
TEST(PageWriterStages, AFailedWriteOrSyncStopsTheWriter) {
    {
        Opened o(100);
        o.w->edit(2)[100] ^= 1;
        o.w->edit(3)[100] ^= 1;
        ASSERT_TRUE(o.w->tryOrder({{3, 2}}));
        ::close(o.fd);
        const int bad = ::open("/dev/null", O_RDONLY);
        ASSERT_EQ(bad, o.fd) << "the descriptor is reused";
        try {
            o.w->commit();
            ADD_FAILURE() << "the write to a read-only descriptor went through";
        } catch (const jet::WriteFailure& e) {
            EXPECT_EQ(e.kind(), jet::WriteFailure::Kind::Io);
            EXPECT_NE(std::string(e.what()).find("cannot write page"), std::string::npos) << e.what();
        }
        EXPECT_TRUE(o.w->stopped());
        EXPECT_EQ(o.w->pending(), 0u);
        ::close(bad);
        o.fd = ::open(o.path.c_str(), O_RDWR);
        ASSERT_EQ(o.fd, bad);
        o.log.clear();
        EXPECT_THROW(o.w->commit(), jet::WriteFailure);
        EXPECT_THROW(o.w->edit(4), jet::WriteFailure);
        EXPECT_THROW(o.w->append(), jet::WriteFailure);
        EXPECT_NE(errorOf([&] { o.w->commit(); }).find("open it again"), std::string::npos);
        EXPECT_TRUE(o.log.empty()) << "nothing is written after the failure";
    }
    {
        // The first stage reaches the file and its sync fails: the cache shows the file.
        struct FailingSync : jet::PageOutput {
            jet::FileOutput file;
            explicit FailingSync(int fd) : file(fd, "test") {}
            void write(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
                file.write(offset, data, size);
            }
            void sync() override {
                throw jet::WriteFailure("test: cannot flush the file to disk: No space left on device",
                                        jet::WriteFailure::Kind::DiskFull);
            }
        };
        Opened o(100);
        jet::Pager& pager = o.db->pager();
        const std::uint8_t before = pager.page(2)->view().data()[100];
        jet::PageWriter w(pager, std::make_unique<FailingSync>(o.fd), nullptr, o.path);
        w.edit(2)[100] ^= 0xFF;
        w.edit(3)[100] ^= 0xFF;
        ASSERT_TRUE(w.tryOrder({{3, 2}}));
        try {
            w.commit();
            ADD_FAILURE() << "the sync's failure was not told";
        } catch (const jet::WriteFailure& e) {
            EXPECT_EQ(e.kind(), jet::WriteFailure::Kind::DiskFull);
        }
        const auto read = pager.pagesRead();
        EXPECT_EQ(pager.page(2)->view().data()[100], static_cast<std::uint8_t>(before ^ 0xFF))
            << "page 2, written before the failed sync, is read from the file";
        EXPECT_EQ(pager.pagesRead(), read + 1);
    }
}

} // namespace

// After a commit the reader's pager shows what was written, from its cache as well as from pages it
// reads anew, and sees the file grown; no page is read again that the commit did not touch.
TEST(PageWriterCommit, TheReaderSeesWhatWasWrittenWithItsCacheKept) {
    Opened o(400);
    jet::Pager& pager = o.db->pager();
    const std::uint32_t before = pager.pageCount();
    for (std::uint32_t p : {2u, 3u})
        pager.page(p); // cached
    const auto read = pager.pagesRead();
    o.w->edit(2)[100] ^= 0x5A;
    const jet::PeekedPage two = o.w->peek(2);
    const std::uint8_t changed = two.view().data()[100];
    const std::uint32_t fresh = o.w->append();
    o.w->edit(fresh)[7] = 0x42;
    o.w->commit();

    EXPECT_EQ(pager.pageCount(), before + 1);
    EXPECT_EQ(pager.page(2)->view().data()[100], changed);
    EXPECT_EQ(pager.page(fresh)->view().data()[7], 0x42);
    pager.page(3);
    EXPECT_EQ(pager.pagesRead(), read + 1) << "only the appended page is read from the file";
}

// A peeked page stays what it showed, and valid, across later edits' commit and a discard.
TEST(PageWriterCommit, APeekedPageOutlivesTheWriteSetItCameFrom) {
    Opened o(400);
    o.w->edit(4)[200] = 0x11;
    const jet::PeekedPage held = o.w->peek(4);
    o.w->edit(4)[201] = 0x22; // the write set's page shows later edits
    EXPECT_EQ(held.view().data()[201], 0x22);
    o.w->commit();
    o.w->edit(4)[200] = 0x33; // a new copy: what was peeked is the committed page
    EXPECT_EQ(held.view().data()[200], 0x11);
    const jet::PeekedPage second = o.w->peek(4);
    o.w->discard();
    EXPECT_EQ(second.view().data()[200], 0x33);
    EXPECT_EQ(o.w->peek(4).number(), 4u);
}

// A data page held as a draft: thousands of rows set, grown, shrunk, emptied and added through it
// (with the page read now and then, which lays it out) give the same bytes as the same rows
// rewritten in the page one at a time; the page is laid out when it is peeked, edited or written,
// and a discard drops the draft with the page.
TEST(PageWriterDrafts, RowsSetThroughADraftLayOutAsTheSameRowsRewrittenOneByOne) {
    Opened o(400);
    const jet::Format& f = o.db->format();
    const std::uint32_t owner = o.db->table("People")->page;
    std::uint32_t p = 0;
    for (std::uint32_t n = 1; n < o.w->pageCount() && !p; ++n) {
        const jet::PeekedPage page = o.w->peek(n);
        if (page.view().u8(0) == jet::page_type::Data && page.view().u32(f.dataTdefPage) == owner) p = n;
    }
    ASSERT_NE(p, 0u);
    auto draftOf = [&]() -> jet::DataPageDraft& {
        return static_cast<jet::DataPageDraft&>(
            o.w->keepDraft(p, [&](jet::Bytes& b) { return std::make_unique<jet::DataPageDraft>(f, b); }));
    };
    auto bytesOfPage = [&] {
        const jet::PeekedPage page = o.w->peek(p);
        return jet::Bytes(page.view().data(), page.view().data() + page.view().size());
    };
    jet::Bytes expected = bytesOfPage();
    const jet::Bytes original = expected;
    jet::DataPageDraft* draft = &draftOf();
    std::mt19937 random(11);
    int refused = 0;
    for (int i = 0; i < 4000; ++i) {
        const unsigned slot = static_cast<unsigned>(random() % (draft->rowCount() + 1));
        const std::size_t length = random() % 4 == 0 ? 0 : random() % 160;
        const jet::Bytes row(length, static_cast<std::uint8_t>(i));
        const std::uint16_t flags = slot < draft->rowCount() ? draft->flags(slot) : jet::row_slot::Deleted;
        const jet::ByteView view(row.data(), row.size());
        const bool fits = jet::rewriteDataPageRow(f, expected, slot, view, flags);
        ASSERT_EQ(draft->set(slot, view, flags), fits) << "change " << i;
        refused += !fits;
        if (fits) {
            o.w->drafted(p);
            ASSERT_EQ(draft->row(slot).size(), length);
        }
        if (i % 700 == 0) {
            ASSERT_EQ(bytesOfPage(), expected) << "peeked after change " << i;
        }
        if (i == 2000) {
            o.w->edit(p); // edited by someone else: laid out, and the draft goes
            ASSERT_EQ(o.w->draft(p), nullptr);
            draft = &draftOf();
        }
    }
    EXPECT_GT(refused, 0) << "the page filled up now and then";
    EXPECT_EQ(jet::dataPageFreeSpace(f, jet::ByteView(expected.data(), expected.size())), draft->freeSpace());
    o.w->commit();
    EXPECT_EQ(o.w->draft(p), nullptr);
    const jet::PageRef written = o.db->pager().page(p);
    EXPECT_EQ(jet::Bytes(written->view().data(), written->view().data() + written->view().size()), expected);

    draftOf().set(0, jet::ByteView(original.data(), 8), 0);
    o.w->drafted(p);
    o.w->discard();
    EXPECT_EQ(o.w->draft(p), nullptr);
    EXPECT_EQ(bytesOfPage(), expected);
}
