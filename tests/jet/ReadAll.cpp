#include "ReadAll.h"

#include "jet/file/Header.h"
#include "jet/read/Database.h"
#include "jet/read/UsageMap.h"

#include <algorithm>
#include <iterator>

namespace fuzz {

namespace {

std::string readWith(std::vector<std::uint8_t> bytes, const std::string& password) {
    jet::OpenOptions options;
    options.cachePages = 8;
    options.password = password;
    auto db = jet::Database::open(std::make_unique<jet::PageFile>("input.mdb", std::move(bytes)), options);
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
}

} // namespace

std::string readAll(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    // Open with the password the header holds, so that the fuzzer gets past the password check;
    // an encrypted file holds none, and is tried with the passwords encrypted inputs are made with.
    std::string password;
    bool encrypted = false;
    try {
        jet::Version v = jet::detectVersion(bytes.data(), bytes.size());
        const jet::Format& f = jet::formatFor(v);
        if (bytes.size() >= f.pageSize) {
            std::vector<std::uint8_t> page0(bytes.begin(),
                                            bytes.begin() + static_cast<std::ptrdiff_t>(f.pageSize));
            jet::applyHeaderMask(page0, f);
            const jet::Header h = jet::parseHeader(page0, f);
            password = h.password;
            encrypted = h.officeEncrypted;
        }
    } catch (const jet::Error&) {
    }
    try {
        if (encrypted) {
            const std::size_t last = std::size(EncryptedPasswords) - 1;
            for (std::size_t i = 0; i < last; ++i) {
                try {
                    return readWith(bytes, EncryptedPasswords[i]);
                } catch (const jet::BadPassword&) {
                }
            }
            password = EncryptedPasswords[last];
        }
        return readWith(std::move(bytes), password);
    } catch (const jet::Error& e) {
        return e.what();
    }
}

std::vector<std::uint32_t> pagesInUse(const std::string& path) {
    jet::OpenOptions options;
    options.password = EncryptedPasswords[0];
    auto db = jet::Database::open(path, options);
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
