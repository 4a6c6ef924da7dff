#pragma once
// A table being filled: rows are encoded and packed onto the table's data pages, each page written
// as soon as it is full, so memory stays small whatever the number of rows. Memo and OLE values go
// to each column's own long-value pages. finish() writes the last pages, the usage maps (owned and
// free pages of the table and of each long-value column) and the table definition.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jet/encode/DataPageWriter.h"
#include "jet/encode/LongValueWriter.h"
#include "jet/encode/PageAllocator.h"
#include "jet/encode/RowEncoder.h"
#include "jet/read/TableDef.h"
#include "jet/read/Value.h"

namespace jet {

class TableFiller {
public:
    // `def` is a laid-out definition (layoutTable); `tdefPage` the page its definition goes to,
    // which is also the table's id.
    TableFiller(const Format& f, std::string name, TableDef def, std::uint32_t tdefPage, PageAllocator& alloc,
                PageSink& sink);

    const std::string& name() const { return name_; }
    const TableDef& def() const { return def_; }
    std::uint32_t tdefPage() const { return def_.page; }
    std::uint32_t rowCount() const { return def_.rowCount; }

    // Lays the definition out as the engine lays out its own tables (see encodeTableDef).
    void setEngineTable(bool engine) { engineTable_ = engine; }

    // Appends a row; values[i] belongs to def().columns[i]. Throws Error naming the row (counted
    // from 1) and the column at fault.
    void append(const std::vector<Value>& values);

    // Writes everything still pending, then the maps and the definition. Call once.
    void finish();

private:
    void writeDataPage();

    const Format& f_;
    std::string name_;
    TableDef def_;
    PageAllocator& alloc_;
    PageSink& sink_;
    DataPageWriter page_;
    std::uint32_t pageNumber_ = 0;
    std::vector<std::uint32_t> dataPages_;
    std::vector<std::unique_ptr<LongValueWriter>> longValues_; // per column; null unless memo/OLE
    std::vector<FieldValue> fields_;
    bool engineTable_ = false;
};

} // namespace jet
