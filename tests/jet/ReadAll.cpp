#include "ReadAll.h"

#include "jet/file/Header.h"
#include "jet/read/Database.h"
#include "jet/read/UsageMap.h"

#include <algorithm>

namespace fuzz {

std::string readAll(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    jet::OpenOptions options;
    options.cachePages = 8;
    // Open with the password the header holds, so that the fuzzer gets past the password check.
    try {
        jet::Version v = jet::detectVersion(bytes.data(), bytes.size());
        const jet::Format& f = jet::formatFor(v);
        if (bytes.size() >= f.pageSize) {
            std::vector<std::uint8_t> page0(bytes.begin(),
                                            bytes.begin() + static_cast<std::ptrdiff_t>(f.pageSize));
            jet::applyHeaderMask(page0, f);
            options.password = jet::parseHeader(page0, f).password;
        }
    } catch (const jet::Error&) {
    }
    try {
        auto db =
            jet::Database::open(std::make_unique<jet::PageFile>("input.mdb", std::move(bytes)), options);
        std::vector<jet::Value> values;
        for (const auto& entry : db->catalog()) {
            if (!entry.isTable()) continue;
            try {
                jet::RowReader reader = db->rows(entry.name);
                while (reader.next(values)) {
                }
            } catch (const jet::Error&) {
                // A damaged table does not stop the others from being read.
            }
        }
        return "";
    } catch (const jet::Error& e) {
        return e.what();
    }
}

std::vector<std::uint32_t> pagesInUse(const std::string& path) {
    auto db = jet::Database::open(path);
    jet::Pager& pager = db->pager();
    std::vector<std::uint32_t> out;
    auto addTable = [&](const jet::TableDef& def) {
        out.insert(out.end(), def.pages.begin(), def.pages.end());
        out.push_back(def.ownedPages.page);
        jet::UsageMapCursor data(pager, def.ownedPages);
        while (auto p = data.next())
            out.push_back(*p);
    };
    addTable(jet::readTableDef(pager, jet::CatalogTablePage, db->codePage()));
    for (const auto& e : db->catalog())
        if (e.isTable() && e.tableType == "TABLE") addTable(*db->table(e.name));
    for (std::uint32_t p = 1; p < pager.pageCount(); ++p) {
        jet::PageRef page = pager.page(p);
        if (page->type() == jet::page_type::Data && page->view().u32(4) == 0x4C41564C)
            out.push_back(p); // "LVAL"
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

} // namespace fuzz
