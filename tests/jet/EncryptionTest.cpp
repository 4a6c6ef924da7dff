// Office-encrypted .accdb files: every kind Access writes read as the same rows as unencrypted
// twins, the password checked against the verifier, damaged encryption headers refused cleanly,
// the agile encryption made here checked against itself, and files created or changed here
// encrypted throughout.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "jet/create/DatabaseCreator.h"
#include "jet/crypt/OfficeEncryption.h"
#include "jet/file/Header.h"
#include "jet/read/Database.h"
#include "jet/write/DatabaseWriter.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Encrypted {
    const char* file;
    const char* password;
    const char* kind; // what the codec says it is
};
const Encrypted kFixtures[] = {
    {"ace14-2010-agile-password.accdb", "password", "agile AES-256, SHA-512"},
    {"ace14-2010-rc4cryptoapi-password.accdb", "password", "RC4 CryptoAPI, 128-bit key"},
    {"ace12-2007-rc4cryptoapi40-password.accdb", "Test123", "RC4 CryptoAPI, 40-bit key"},
    {"ace14-2010-cryptoapi-aes-nonstandard-password.accdb", "password", "non-standard CryptoAPI AES-256"},
};

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::unique_ptr<jet::Database> openBytes(Bytes bytes, const std::string& password) {
    jet::OpenOptions o;
    o.password = password;
    return jet::Database::open(std::make_unique<jet::PageFile>("enc.accdb", std::move(bytes)), o);
}

// Every user table, its rows as text: "Table1: 1|One; 2|Two".
std::string userRows(jet::Database& db) {
    std::string out;
    std::vector<jet::Value> values;
    for (const auto& e : db.catalog()) {
        // Not the system tables, nor the hidden tables of complex columns (f_..._Data).
        if (!e.isTable() || e.name.rfind("MSys", 0) == 0 || e.name.rfind("f_", 0) == 0) continue;
        out += e.name + ":";
        auto rows = db.rows(e.name);
        while (rows.next(values)) {
            out += " ";
            for (const auto& v : values)
                out += (v.kind == jet::Value::Kind::Integer ? std::to_string(v.integer) : v.text) + "|";
            out += ";";
        }
        out += "\n";
    }
    return out;
}

std::string errorOf(Bytes bytes, const std::string& password) {
    try {
        userRows(*openBytes(std::move(bytes), password));
    } catch (const jet::Error& e) {
        return e.what();
    }
    return "";
}

#define NEED_FIXTURE(path)                                                                                   \
    if (!std::filesystem::exists(path)) {                                                                    \
        GTEST_SKIP() << "fixture absent: " << path;                                                          \
    }                                                                                                        \
    static_assert(true)

TEST(OfficeEncryption, EachKindReadsAsItsUnencryptedTwinOrItsKnownRows) {
    const std::string twin = testsupport::accessFixture("ace14-2010-nopassword.accdb");
    NEED_FIXTURE(twin);
    const std::string plain = userRows(*jet::Database::open(twin));
    ASSERT_EQ(plain, "Table1: 1|One|; 2|Two|; 3|Three|;\n");
    const std::map<std::string, std::string> expected = {
        {"ace14-2010-agile-password.accdb", plain},
        {"ace14-2010-rc4cryptoapi-password.accdb", plain},
        {"ace12-2007-rc4cryptoapi40-password.accdb", "Table1: 1|foo|;\n"},
        {"ace14-2010-cryptoapi-aes-nonstandard-password.accdb", "Table_One: 1|test|;\n"},
    };
    for (const auto& f : kFixtures) {
        const std::string path = testsupport::accessFixture(f.file);
        NEED_FIXTURE(path);
        jet::OpenOptions o;
        o.password = f.password;
        auto db = jet::Database::open(path, o);
        EXPECT_TRUE(db->header().officeEncrypted) << f.file;
        EXPECT_EQ(userRows(*db), expected.at(f.file)) << f.file;
        ASSERT_NE(db->pageCodec(), nullptr);
        EXPECT_EQ(db->pageCodec()->describe(), std::string("Office encryption (") + f.kind + ")");
        // The writer's codec has the reader's keys: page 2 encoded again is the page on disk.
        const Bytes disk = readFile(path);
        jet::PageRef page = db->pager().page(2);
        Bytes again(page->view().data(), page->view().data() + page->view().size());
        db->pageCodec()->encode(2, again.data(), again.size());
        EXPECT_TRUE(std::equal(again.begin(), again.end(), disk.begin() + 2 * 4096)) << f.file;
    }
}

TEST(OfficeEncryption, AWrongOrMissingPasswordIsNotValid) {
    for (const auto& f : kFixtures) {
        const std::string path = testsupport::accessFixture(f.file);
        NEED_FIXTURE(path);
        const std::string right = f.password;
        for (const std::string& wrong : {std::string(), right + " ", right.substr(1), std::string("PASSWORD")}) {
            jet::OpenOptions o;
            o.password = wrong;
            try {
                jet::Database::open(path, o);
                ADD_FAILURE() << f.file << " opened with \"" << wrong << "\"";
            } catch (const jet::BadPassword& e) {
                EXPECT_EQ(std::string(e.what()), path + ": Not a valid password.");
            }
        }
    }
}

// Page 0 of an encrypted fixture with its EncryptionInfo replaced.
Bytes withInfo(Bytes file, const Bytes& info) {
    file[0x299] = static_cast<std::uint8_t>(info.size());
    file[0x29A] = static_cast<std::uint8_t>(info.size() >> 8);
    std::copy(info.begin(), info.end(), file.begin() + 0x29B);
    return file;
}

TEST(OfficeEncryption, DamagedCryptoApiHeadersGiveAnErrorNamingTheFile) {
    for (const char* name : {"ace14-2010-rc4cryptoapi-password.accdb", "ace14-2010-cryptoapi-aes-nonstandard-password.accdb"}) {
        const std::string path = testsupport::accessFixture(name);
        NEED_FIXTURE(path);
        const Bytes file = readFile(path);
        const std::size_t length = file[0x299] | file[0x29A] << 8;
        // Every byte of the structure changed in turn, and every length cut: an error or (where the
        // byte does not matter) the right rows, never a crash or a hang.
        for (std::size_t i = 0; i < length; ++i) {
            Bytes damaged = file;
            damaged[0x29B + i] ^= 0xA5;
            const std::string e = errorOf(damaged, "password");
            if (!e.empty()) {
                EXPECT_EQ(e.rfind("enc.accdb: ", 0), 0u) << i << ": " << e;
            }
        }
        for (std::size_t cut = 0; cut < length; ++cut) {
            Bytes damaged = file;
            damaged[0x299] = static_cast<std::uint8_t>(cut);
            damaged[0x29A] = static_cast<std::uint8_t>(cut >> 8);
            EXPECT_NE(errorOf(damaged, "password"), "") << cut;
        }
        Bytes past = file;
        past[0x299] = 0xFF;
        past[0x29A] = 0x0F;
        EXPECT_NE(errorOf(past, "password").find("the encryption header is damaged"), std::string::npos);
    }
}

void putU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(OfficeEncryption, CryptoApiFieldsAtTheirExtremesAreRefusedWithWhatIsWrong) {
    for (const char* name : {"ace14-2010-rc4cryptoapi-password.accdb", "ace14-2010-cryptoapi-aes-nonstandard-password.accdb"}) {
        const std::string path = testsupport::accessFixture(name);
        NEED_FIXTURE(path);
        const Bytes file = readFile(path);
        const std::size_t info = 0x29B;
        const std::size_t header = info + 12;
        const std::size_t verifier = header + (file[info + 8] | file[info + 9] << 8);
        struct Case {
            std::size_t at;
            std::uint32_t value;
            const char* says;
        };
        const Case cases[] = {
            {info + 8, 0, "CryptoAPI header does not fit"},
            {info + 8, 31, "CryptoAPI header does not fit"},
            {info + 8, 0xFFFFFFFF, "CryptoAPI header does not fit"},
            {info + 8, 0x7FFFFFF0, "CryptoAPI header does not fit"},
            {header, 0x24 | 0x10, "externally encrypted"},
            {header + 8, 0x6602, "algorithm 26114"},        // RC2
            {header + 12, 0x8003, "hash algorithm 32771"},  // MD5
            {header + 16, 8, " key of 8 bits"},
            {header + 16, 4096, " key of 4096 bits"},
            {header + 16, 0xFFFFFFFF, " key of 4294967295 bits"},
            {verifier, 0, "salt is not 16 bytes"},
            {verifier, 0xFFFFFFFF, "salt is not 16 bytes"},
            {verifier + 36, 0, "a verifier hash of 0 bytes"},
            {verifier + 36, 21, "a verifier hash of 21 bytes"},
            {verifier + 36, 0xFFFFFFFF, "a verifier hash of 4294967295 bytes"},
        };
        for (const Case& c : cases) {
            Bytes damaged = file;
            putU32(damaged, c.at, c.value);
            const std::string e = errorOf(damaged, "password");
            EXPECT_EQ(e.rfind("enc.accdb: ", 0), 0u) << name << " +" << c.at - info << "=" << c.value << ": " << e;
            EXPECT_NE(e.find(c.says), std::string::npos) << name << " +" << c.at - info << "=" << c.value << ": " << e;
        }
        // The verifier cut off inside its hash.
        Bytes shortened = file;
        const std::size_t cut = verifier - info + 48; // salt and verifier whole, the hash not
        shortened[0x299] = static_cast<std::uint8_t>(cut);
        shortened[0x29A] = static_cast<std::uint8_t>(cut >> 8);
        EXPECT_NE(errorOf(shortened, "password").find("verifier does not fit"), std::string::npos) << name;
    }
}

TEST(OfficeEncryption, DamagedAgileDescriptorsGiveAnErrorNamingTheFile) {
    const std::string path = testsupport::accessFixture("ace14-2010-agile-password.accdb");
    NEED_FIXTURE(path);
    const Bytes file = readFile(path);
    const std::size_t length = file[0x299] | file[0x29A] << 8;
    const std::string xml(file.begin() + 0x29B + 8, file.begin() + 0x29B + static_cast<std::ptrdiff_t>(length));
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string x = xml;
        const std::size_t at = x.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) x.replace(at, from.size(), to);
        Bytes info(file.begin() + 0x29B, file.begin() + 0x29B + 8);
        info.insert(info.end(), x.begin(), x.end());
        return errorOf(withInfo(file, info), "password");
    };
    const std::pair<std::string, std::string> cases[][1] = {
        {{"spinCount=\"100000\"", "spinCount=\"4000000000\""}},
        {{"spinCount=\"100000\"", "spinCount=\"99999999999\""}},
        {{"spinCount=\"100000\"", "spinCount=\"-1\""}},
        {{"keyBits=\"256\"", "keyBits=\"100\""}},
        {{"blockSize=\"16\"", "blockSize=\"0\""}},
        {{"<keyData", "<keyDat"}},
        {{"p:encryptedKey", "p:certificateKey"}},
        {{"saltValue=\"lfLzDoSp6m2FkMyvPiZavA==\"", "saltValue=\"***\""}},
        {{"encryptedKeyValue=\"", "encryptedKeyValue=\"AAAA"}},
        {{"encryptedVerifierHashValue=\"", "encryptedVerifierHashValue=\"AAAA"}},
        {{"hashAlgorithm=\"SHA512\" saltValue=\"lf", "hashAlgorithm=\"MD4\" saltValue=\"lf"}},
        {{"ChainingModeCBC\" hashAlgorithm=\"SHA512\" saltValue=\"lf", "ChainingModeCFB\" hashAlgorithm=\"SHA512\" saltValue=\"lf"}},
        {{"/></keyEncryptor>", ""}},
        {{"cipherAlgorithm=\"AES\"", "cipherAlgorithm=\"RC2\""}},
        {{"saltValue=\"lfLzDoSp6m2FkMyvPiZavA==\"", "saltValue=\"\""}},
        {{"saltValue=\"lfLzDoSp6m2FkMyvPiZavA==\"", "saltValue=\"" + std::string(120, 'A') + "\""}},
        {{"encryptedKeyValue=\"", "encryptedKeyValue=\"AAAAAAAAAAAAAAAAAAAAAA==\" x=\""}},
    };
    for (const auto& c : cases) {
        const std::string e = edited(c[0].first, c[0].second);
        EXPECT_EQ(e.rfind("enc.accdb: ", 0), 0u) << c[0].second << ": " << e;
    }
    // The XML cut before the password encryptor's last value has ended is refused.
    const std::size_t inKey = 8 + xml.find("encryptedKeyValue") + 30;
    for (std::size_t cut : {std::size_t{0}, std::size_t{9}, length / 3, length / 2, inKey}) {
        Bytes damaged = file;
        damaged[0x299] = static_cast<std::uint8_t>(cut);
        damaged[0x29A] = static_cast<std::uint8_t>(cut >> 8);
        EXPECT_NE(errorOf(damaged, "password"), "") << cut;
    }
    Bytes version = file;
    version[0x29D] = 3; // 4.3: extensible encryption
    EXPECT_NE(errorOf(version, "password").find("extensible"), std::string::npos);
}

TEST(OfficeEncryption, AgileEncryptionMadeHereChecksItsPasswordAndKeysEachPage) {
    jet::NewOfficeEncryption made = jet::makeAgileEncryption(u"Zoë's pass", 1000);
    const jet::ByteView info(made.info.data(), made.info.size());
    auto opened = jet::openOfficeEncryption(info, u"Zoë's pass");
    EXPECT_EQ(opened->describe(), "agile AES-256, SHA-512");
    EXPECT_THROW(jet::openOfficeEncryption(info, u"zoë's pass"), jet::BadPassword);
    EXPECT_THROW(jet::openOfficeEncryption(info, u""), jet::BadPassword);

    Bytes page(4096);
    for (std::size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<std::uint8_t>(i * 7);
    Bytes one = page, two = page;
    made.cipher->encrypt(1, one.data(), one.size());
    made.cipher->encrypt(2, two.data(), two.size());
    EXPECT_NE(one, page);
    EXPECT_NE(one, two); // each page its own IV
    opened->decrypt(1, one.data(), one.size());
    EXPECT_EQ(one, page); // the key recovered through the password is the key made
    EXPECT_THROW(jet::makeAgileEncryption(u""), jet::Error);
}

bool contains(const Bytes& hay, const std::string& needle) {
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}
std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}
jet::Value text(const std::string& s) {
    jet::Value v;
    v.kind = jet::Value::Kind::Text;
    v.text = s;
    return v;
}

// An encrypted .accdb of `rows` rows (ID, Name), made here with few hash rounds.
void makeEncrypted(const std::string& path, int rows) {
    jet::CreateOptions o;
    o.version = jet::Version::Ace12;
    o.password = "Kennwort ü";
    o.spinCount = 1000;
    jet::DatabaseCreator c(path, o);
    auto& t = c.addTable("People", {{"ID", jet::ColumnType::Long}, {"Name", jet::ColumnType::Text, 100}});
    for (int i = 0; i < rows; ++i) {
        jet::Value id;
        id.kind = jet::Value::Kind::Integer;
        id.integer = i;
        t.append({id, text("Wombat " + std::to_string(i))});
    }
    c.finish();
}

TEST(OfficeEncryption, AFileCreatedWithAPasswordIsEncryptedThroughout) {
    testsupport::TempDir dir;
    const std::string path = dir.file("made.accdb");
    makeEncrypted(path, 500);
    const Bytes disk = readFile(path);
    EXPECT_FALSE(contains(disk, "Wombat"));
    EXPECT_FALSE(contains(disk, utf16("Wombat")));
    EXPECT_FALSE(contains(disk, utf16("MSysObjects")));
    EXPECT_THROW(jet::Database::open(path), jet::BadPassword);
    jet::OpenOptions o;
    o.password = "Kennwort ü";
    auto db = jet::Database::open(path, o);
    EXPECT_EQ(db->pageCodec()->describe(), "Office encryption (agile AES-256, SHA-512)");
    std::vector<jet::Value> values;
    auto rows = db->rows("People");
    int n = 0;
    while (rows.next(values)) {
        EXPECT_EQ(values[1].text, "Wombat " + std::to_string(values[0].integer));
        ++n;
    }
    EXPECT_EQ(n, 500);
}

// The keys of the last open are kept for the next one: only for the same header and password.
TEST(OfficeEncryption, KeysKeptFromTheLastOpenServeOnlyThatFileAndPassword) {
    testsupport::TempDir dir;
    const std::string one = dir.file("one.accdb"), two = dir.file("two.accdb");
    makeEncrypted(one, 20);
    makeEncrypted(two, 30); // the same password, its own salts and key
    jet::OpenOptions right, wrong;
    right.password = "Kennwort ü";
    wrong.password = "Kennwort u";
    auto count = [&](const std::string& path) {
        auto db = jet::Database::open(path, right);
        std::vector<jet::Value> values;
        auto rows = db->rows("People");
        int n = 0;
        while (rows.next(values)) {
            EXPECT_EQ(values[1].text, "Wombat " + std::to_string(values[0].integer)) << path;
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count(one), 20);
    EXPECT_THROW(jet::Database::open(one, wrong), jet::BadPassword);
    EXPECT_EQ(count(one), 20);
    EXPECT_EQ(count(two), 30);
    EXPECT_EQ(count(one), 20);
}

TEST(OfficeEncryption, ChangesToAnEncryptedFileAreEncryptedPagesAddedIncluded) {
    testsupport::TempDir dir;
    const std::string path = dir.file("changed.accdb");
    makeEncrypted(path, 300);
    const Bytes before = readFile(path);
    // A wrong password changes nothing.
    jet::OpenOptions wrong;
    wrong.password = "kennwort ü";
    EXPECT_THROW(jet::DatabaseWriter w(path, wrong), jet::BadPassword);
    EXPECT_EQ(readFile(path), before);

    jet::OpenOptions o;
    o.password = "Kennwort ü";
    {
        jet::DatabaseWriter w(path, o);
        w.addTextColumn("People", "Piece", 255);
        std::vector<jet::RowKey> keys;
        w.scan("People", 0, [&](jet::RowKey k, const jet::Value&) { keys.push_back(k); });
        // Long values move rows onto pages the writer adds.
        for (std::size_t i = 0; i < keys.size(); ++i)
            w.update("People", keys[i], {{2, text("Quokka " + std::string(150, 'q') + std::to_string(i))}});
    }
    const Bytes after = readFile(path);
    EXPECT_GT(after.size(), before.size());
    EXPECT_FALSE(contains(after, "Quokka"));
    EXPECT_FALSE(contains(after, utf16("Quokka")));
    auto db = jet::Database::open(path, o);
    std::vector<jet::Value> values;
    auto rows = db->rows("People");
    int n = 0;
    while (rows.next(values)) {
        ASSERT_EQ(values.size(), 3u);
        EXPECT_EQ(values[2].text.substr(0, 7), "Quokka ");
        ++n;
    }
    EXPECT_EQ(n, 300);
}

} // namespace
