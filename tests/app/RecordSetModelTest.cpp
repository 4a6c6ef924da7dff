#include "app/grid/RecordSetModel.h"
#include "db/Error.h"

#include <gtest/gtest.h>

namespace {

// Rows made on demand, counting how many were asked for; fails after `failAt` rows when set.
class CountingRows : public db::RowSource {
public:
    CountingRows(int total, int failAt = -1) : total_(total), failAt_(failAt) {}
    const std::vector<db::FieldInfo>& fields() const override { return fields_; }
    bool next(std::vector<db::Variant>& row) override {
        if (made_ == failAt_) throw db::Error(db::ErrorNumber::Unspecified, "the file changed");
        if (made_ >= total_) return false;
        row = {db::Variant(std::int64_t{made_}),
               db::Variant(made_ % 2 ? db::Variant() : db::Variant("even"))};
        ++made_;
        return true;
    }
    int made() const { return made_; }

private:
    std::vector<db::FieldInfo> fields_{{"ID", 3}, {"Note", 202}};
    int total_, failAt_, made_ = 0;
};

} // namespace

TEST(RecordSetModel, FetchesRowsOnlyAsTheViewAsks) {
    auto source = std::make_unique<CountingRows>(1'000'000);
    CountingRows* counter = source.get();
    app::RecordSetModel model;
    model.setDataSource(std::make_shared<db::RecordRows>(std::move(source)));
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Note");
    EXPECT_EQ(model.rowCount(), 0);
    ASSERT_TRUE(model.canFetchMore({}));
    model.fetchMore({});
    EXPECT_EQ(model.rowCount(), app::RecordSetModel::BatchSize);
    EXPECT_LE(counter->made(), app::RecordSetModel::BatchSize + 1);
    EXPECT_EQ(model.data(model.index(2, 0)).toString(), "2");
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), "even");
    EXPECT_EQ(model.data(model.index(3, 1)).toString(), ""); // Null shows empty
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
}

TEST(RecordSetModel, KeepsTheRowsReadWhenTheSourceFails) {
    app::RecordSetModel model;
    model.setDataSource(std::make_shared<db::RecordRows>(std::make_unique<CountingRows>(1000, 300)));
    while (model.canFetchMore({}))
        model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 300);
    model.setDataSource(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    EXPECT_FALSE(model.canFetchMore({}));
}

TEST(RecordSetModel, ShowsBinaryValuesBySize) {
    EXPECT_EQ(app::RecordSetModel::cellText(db::Variant(db::Bytes(5, 0))), "(binary data, 5 bytes)");
    EXPECT_EQ(app::RecordSetModel::cellText(db::Variant(db::Date{0.5})), "1899-12-30 12:00:00");
}
