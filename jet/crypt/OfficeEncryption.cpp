#include "jet/crypt/OfficeEncryption.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string_view>

#include "jet/base/Error.h"

namespace jet {

using crypto::Bytes;
using crypto::Chaining;
using crypto::Hash;

namespace {

constexpr std::size_t MaxPasswordChars = 255;

// CryptoAPI header flags and algorithm ids.
constexpr std::uint32_t FlagCryptoApi = 0x04;
constexpr std::uint32_t FlagExternal = 0x10;
constexpr std::uint32_t FlagAes = 0x20;
constexpr std::uint32_t AlgRc4 = 0x6801;
constexpr std::uint32_t AlgAes128 = 0x660E;
constexpr std::uint32_t AlgAes192 = 0x660F;
constexpr std::uint32_t AlgAes256 = 0x6610;
constexpr std::uint32_t AlgSha1 = 0x8004;

// The agile descriptor's three fixed block keys: verifier input, verifier hash, key value.
constexpr std::uint8_t VerifierInputBlock[8] = {0xfe, 0xa7, 0xd2, 0x76, 0x3b, 0x4b, 0x9e, 0x79};
constexpr std::uint8_t VerifierHashBlock[8] = {0xd7, 0xaa, 0x0f, 0x6d, 0x30, 0x61, 0x34, 0x4e};
constexpr std::uint8_t KeyValueBlock[8] = {0x14, 0x6e, 0x0b, 0xe7, 0xab, 0xac, 0xd0, 0xd6};
constexpr std::uint32_t AgileReserved = 0x40;

[[noreturn]] void damaged(const std::string& what) { corrupt("the encryption header is damaged: " + what); }
[[noreturn]] void wrongPassword() { throw BadPassword("Not a valid password."); }

Bytes le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

Bytes passwordBytes(const std::u16string& password) {
    const std::size_t n = std::min(password.size(), MaxPasswordChars);
    Bytes out;
    out.reserve(n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(static_cast<std::uint8_t>(password[i]));
        out.push_back(static_cast<std::uint8_t>(password[i] >> 8));
    }
    return out;
}

Bytes bytesOf(ByteView v) { return Bytes(v.data(), v.data() + v.size()); }

// Compared in full whatever the bytes, so that the time taken tells nothing.
bool sameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    std::uint8_t diff = 0;
    for (std::size_t i = 0; i < n; ++i)
        diff |= static_cast<std::uint8_t>(a[i] ^ b[i]);
    return diff == 0;
}

// H(salt + password), then `rounds` times H(LE32(i) + previous).
Bytes iteratedHash(Hash h, const Bytes& salt, const Bytes& password, std::uint32_t rounds) {
    crypto::Hasher hasher(h);
    Bytes value = hasher.add(salt).add(password).finish();
    std::uint8_t counter[4];
    for (std::uint32_t i = 0; i < rounds; ++i) {
        counter[0] = static_cast<std::uint8_t>(i);
        counter[1] = static_cast<std::uint8_t>(i >> 8);
        counter[2] = static_cast<std::uint8_t>(i >> 16);
        counter[3] = static_cast<std::uint8_t>(i >> 24);
        hasher.add(counter, 4).add(value);
        hasher.finishInto(value.data());
    }
    return value;
}

// ---- CryptoAPI (RC4 and AES) ----------------------------------------------------------------

struct CryptoApiInfo {
    std::uint32_t flags = 0;
    std::uint32_t algorithm = 0; // AlgRc4 or one of the AES ids, defaults resolved
    std::uint32_t keyBits = 0;
    Bytes salt, verifier, verifierHash;
    std::uint32_t verifierHashSize = 0;
};

std::u16string cspName(ByteView v) {
    std::u16string name;
    for (std::size_t i = 0; i + 1 < v.size(); i += 2) {
        char16_t c = static_cast<char16_t>(v.u16(i));
        if (c == 0) break;
        name.push_back(c);
    }
    return name;
}

CryptoApiInfo readCryptoApi(ByteView info) {
    CryptoApiInfo r;
    // 0: version (4 bytes), 4: flags, 8: header size, 12: header, then the verifier.
    const std::uint32_t headerSize = info.u32(8);
    if (headerSize < 32 || !info.contains(12, headerSize)) damaged("its CryptoAPI header does not fit");
    ByteView header = info.sub(12, headerSize);
    r.flags = header.u32(0);
    std::uint32_t alg = header.u32(8);
    const std::uint32_t hashAlg = header.u32(12);
    r.keyBits = header.u32(16);
    if (r.flags & FlagExternal) throw Unsupported("externally encrypted files cannot be read");
    if (alg == 0) alg = (r.flags & FlagAes) ? AlgAes128 : AlgRc4;
    if (hashAlg != 0 && hashAlg != AlgSha1)
        throw Unsupported("CryptoAPI encryption with hash algorithm " + std::to_string(hashAlg));
    switch (alg) {
    case AlgRc4:
        if (r.keyBits == 0) {
            // Unset: the provider's default, 40 bits for the base provider, else 128.
            std::u16string name = cspName(header.from(32));
            std::string lower;
            for (char16_t c : name)
                lower.push_back(static_cast<char>(c < 128 ? std::tolower(static_cast<int>(c)) : '?'));
            r.keyBits = (lower.empty() || lower.find(" base ") != std::string::npos) ? 40 : 128;
        }
        if (r.keyBits < 40 || r.keyBits > 128 || r.keyBits % 8 != 0)
            damaged("an RC4 key of " + std::to_string(r.keyBits) + " bits");
        break;
    case AlgAes128:
    case AlgAes192:
    case AlgAes256: {
        const std::uint32_t bits = alg == AlgAes128 ? 128 : alg == AlgAes192 ? 192 : 256;
        if (r.keyBits == 0) r.keyBits = bits;
        if (r.keyBits != bits) damaged("an AES key of " + std::to_string(r.keyBits) + " bits");
        break;
    }
    default:
        throw Unsupported("CryptoAPI encryption with algorithm " + std::to_string(alg));
    }
    r.algorithm = alg;
    ByteView verifier = info.from(12 + headerSize);
    if (!verifier.contains(0, 4) || verifier.u32(0) != 16) damaged("its verifier's salt is not 16 bytes");
    const std::size_t hashLength = alg == AlgRc4 ? 20 : 32;
    if (!verifier.contains(0, 40 + hashLength)) damaged("its verifier does not fit");
    r.salt = bytesOf(verifier.sub(4, 16));
    r.verifier = bytesOf(verifier.sub(20, 16));
    r.verifierHashSize = verifier.u32(36);
    if (r.verifierHashSize == 0 || r.verifierHashSize > 20) damaged("a verifier hash of " + std::to_string(r.verifierHashSize) + " bytes");
    r.verifierHash = bytesOf(verifier.sub(40, hashLength));
    return r;
}

class CryptoApiRc4 final : public PageCipher {
public:
    CryptoApiRc4(const CryptoApiInfo& info, const Bytes& password)
        : keyBytes_(info.keyBits / 8), base_(crypto::digest(Hash::Sha1, info.salt, password)) {
        // The verifier and its hash are one RC4 stream under the key of block 0.
        Bytes key = keyFor(0);
        Bytes stream = info.verifier;
        stream.insert(stream.end(), info.verifierHash.begin(), info.verifierHash.end());
        crypto::rc4(key.data(), key.size(), stream.data(), stream.size());
        Bytes verifier(stream.begin(), stream.begin() + 16);
        Bytes expected = crypto::digest(Hash::Sha1, verifier);
        if (!sameBytes(expected.data(), stream.data() + 16, info.verifierHashSize)) wrongPassword();
    }
    void decrypt(std::uint32_t block, std::uint8_t* page, std::size_t length) const override { apply(block, page, length); }
    void encrypt(std::uint32_t block, std::uint8_t* page, std::size_t length) const override { apply(block, page, length); }
    std::string describe() const override {
        return "RC4 CryptoAPI, " + std::to_string(keyBytes_ * 8) + "-bit key";
    }

private:
    Bytes keyFor(std::uint32_t block) const {
        Bytes key = crypto::digest(Hash::Sha1, base_, le32(block));
        key.resize(keyBytes_);
        if (keyBytes_ == 5) key.resize(16, 0); // 40-bit keys go to RC4 as 128 bits, zero-extended
        return key;
    }
    void apply(std::uint32_t block, std::uint8_t* page, std::size_t length) const {
        Bytes key = keyFor(block);
        crypto::rc4(key.data(), key.size(), page, length);
    }
    std::size_t keyBytes_;
    Bytes base_;
};

class CryptoApiAes final : public PageCipher {
public:
    CryptoApiAes(const CryptoApiInfo& info, const Bytes& password, bool standard)
        : keyBytes_(info.keyBits / 8), standard_(standard),
          base_(iteratedHash(Hash::Sha1, info.salt, password, standard ? 50000 : 0)) {
        Bytes key = keyFor(0);
        Bytes verifier = info.verifier;
        Bytes hash = info.verifierHash;
        crypto::aes(false, Chaining::Ecb, key, nullptr, verifier.data(), verifier.size());
        crypto::aes(false, Chaining::Ecb, key, nullptr, hash.data(), hash.size());
        Bytes expected = crypto::digest(Hash::Sha1, verifier);
        if (!sameBytes(expected.data(), hash.data(), info.verifierHashSize)) wrongPassword();
    }
    void decrypt(std::uint32_t block, std::uint8_t* page, std::size_t length) const override {
        crypto::aes(false, Chaining::Ecb, keyFor(block), nullptr, page, length);
    }
    void encrypt(std::uint32_t block, std::uint8_t* page, std::size_t length) const override {
        crypto::aes(true, Chaining::Ecb, keyFor(block), nullptr, page, length);
    }
    std::string describe() const override {
        return std::string(standard_ ? "standard" : "non-standard") + " CryptoAPI AES-" +
               std::to_string(keyBytes_ * 8);
    }

private:
    // The CryptoAPI key derivation: X1 = SHA1((0x36 * 64) XOR h), X2 = SHA1((0x5C * 64) XOR h),
    // key = the first bytes of X1 + X2, where h = SHA1(base + block key).
    Bytes keyFor(std::uint32_t block) const {
        Bytes h = crypto::digest(Hash::Sha1, base_, le32(block));
        Bytes x1(64, 0x36), x2(64, 0x5C);
        for (std::size_t i = 0; i < h.size(); ++i) {
            x1[i] ^= h[i];
            x2[i] ^= h[i];
        }
        Bytes key = crypto::digest(Hash::Sha1, x1);
        Bytes second = crypto::digest(Hash::Sha1, x2);
        key.insert(key.end(), second.begin(), second.end());
        key.resize(keyBytes_);
        return key;
    }
    std::size_t keyBytes_;
    bool standard_;
    Bytes base_;
};

// ---- Agile ----------------------------------------------------------------------------------

// The attributes of the first element whose local name is `name` (any namespace prefix).
std::optional<std::map<std::string, std::string>> elementAttributes(std::string_view xml, std::string_view name) {
    std::size_t at = 0;
    while ((at = xml.find('<', at)) != std::string_view::npos) {
        ++at;
        std::size_t end = at;
        while (end < xml.size() && xml[end] != ' ' && xml[end] != '/' && xml[end] != '>' && xml[end] != '\t' &&
               xml[end] != '\r' && xml[end] != '\n')
            ++end;
        std::string_view tag = xml.substr(at, end - at);
        const std::size_t colon = tag.find(':');
        if (colon != std::string_view::npos) tag = tag.substr(colon + 1);
        if (tag != name) continue;
        std::map<std::string, std::string> attrs;
        std::size_t p = end;
        for (;;) {
            while (p < xml.size() && (xml[p] == ' ' || xml[p] == '\t' || xml[p] == '\r' || xml[p] == '\n'))
                ++p;
            if (p >= xml.size()) damaged("its descriptor ends inside <" + std::string(name) + ">");
            if (xml[p] == '/' || xml[p] == '>') return attrs;
            const std::size_t eq = xml.find('=', p);
            if (eq == std::string_view::npos || eq + 1 >= xml.size()) damaged("an attribute without a value");
            std::string key(xml.substr(p, eq - p));
            while (!key.empty() && key.back() == ' ')
                key.pop_back();
            const char quote = xml[eq + 1];
            if (quote != '"' && quote != '\'') damaged("an attribute value without quotes");
            const std::size_t close = xml.find(quote, eq + 2);
            if (close == std::string_view::npos) damaged("an attribute value without its closing quote");
            attrs[key] = std::string(xml.substr(eq + 2, close - eq - 2));
            p = close + 1;
        }
    }
    return std::nullopt;
}

struct AgileParams {
    Hash hash = Hash::Sha1;
    std::uint32_t keyBits = 0, blockSize = 0, spinCount = 0;
    Bytes salt;
};

Hash hashNamed(const std::string& name) {
    if (name == "SHA1" || name == "SHA-1") return Hash::Sha1;
    if (name == "SHA256" || name == "SHA-256") return Hash::Sha256;
    if (name == "SHA384" || name == "SHA-384") return Hash::Sha384;
    if (name == "SHA512" || name == "SHA-512") return Hash::Sha512;
    throw Unsupported("agile encryption with the hash " + name);
}

std::uint32_t number(const std::map<std::string, std::string>& a, const char* key) {
    auto it = a.find(key);
    if (it == a.end()) damaged(std::string("no ") + key);
    const std::string& s = it->second;
    if (s.empty() || s.size() > 10 || s.find_first_not_of("0123456789") != std::string::npos)
        damaged(std::string(key) + " \"" + s + "\"");
    const unsigned long long v = std::stoull(s);
    if (v > 0xFFFFFFFFull) damaged(std::string(key) + " \"" + s + "\"");
    return static_cast<std::uint32_t>(v);
}

const std::string& text(const std::map<std::string, std::string>& a, const char* key) {
    auto it = a.find(key);
    if (it == a.end()) damaged(std::string("no ") + key);
    return it->second;
}

Bytes base64(const std::map<std::string, std::string>& a, const char* key) {
    try {
        return crypto::base64Decode(text(a, key));
    } catch (const Corrupt&) {
        throw;
    } catch (const Error& e) {
        damaged(std::string(key) + ": " + e.what());
    }
}

AgileParams agileParams(const std::map<std::string, std::string>& a, bool password) {
    AgileParams p;
    if (text(a, "cipherAlgorithm") != "AES")
        throw Unsupported("agile encryption with the cipher " + text(a, "cipherAlgorithm"));
    if (text(a, "cipherChaining") != "ChainingModeCBC")
        throw Unsupported("agile encryption with the chaining " + text(a, "cipherChaining"));
    p.hash = hashNamed(text(a, "hashAlgorithm"));
    p.keyBits = number(a, "keyBits");
    if (p.keyBits != 128 && p.keyBits != 192 && p.keyBits != 256) damaged("an AES key of " + std::to_string(p.keyBits) + " bits");
    p.blockSize = number(a, "blockSize");
    if (p.blockSize != 16) damaged("an AES block of " + std::to_string(p.blockSize) + " bytes");
    p.salt = base64(a, "saltValue");
    if (p.salt.size() < 1 || p.salt.size() > 64) damaged("a salt of " + std::to_string(p.salt.size()) + " bytes");
    if (password) {
        p.spinCount = number(a, "spinCount");
        if (p.spinCount > MaxSpinCount) damaged("a spin count of " + std::to_string(p.spinCount));
    }
    return p;
}

class Agile final : public PageCipher {
public:
    Agile(AgileParams data, Bytes key) : data_(std::move(data)), key_(std::move(key)) {}
    void decrypt(std::uint32_t block, std::uint8_t* page, std::size_t length) const override {
        Bytes iv = ivFor(block);
        crypto::aes(false, Chaining::Cbc, key_, iv.data(), page, length);
    }
    void encrypt(std::uint32_t block, std::uint8_t* page, std::size_t length) const override {
        Bytes iv = ivFor(block);
        crypto::aes(true, Chaining::Cbc, key_, iv.data(), page, length);
    }
    std::string describe() const override {
        std::string hash = crypto::hashName(data_.hash);
        hash.insert(3, "-");
        return "agile AES-" + std::to_string(data_.keyBits) + ", " + hash;
    }

private:
    Bytes ivFor(std::uint32_t block) const {
        Bytes iv(crypto::hashSize(data_.hash));
        crypto::Hasher hasher(data_.hash);
        std::uint8_t b[4] = {static_cast<std::uint8_t>(block), static_cast<std::uint8_t>(block >> 8),
                             static_cast<std::uint8_t>(block >> 16), static_cast<std::uint8_t>(block >> 24)};
        hasher.add(data_.salt).add(b, 4).finishInto(iv.data());
        return crypto::fitted(std::move(iv), data_.blockSize, 0x36);
    }
    AgileParams data_;
    Bytes key_;
};

// The key that encrypts (or decrypts) one of the password encryptor's values.
Bytes agileKey(const AgileParams& p, const Bytes& iterated, const std::uint8_t (&block)[8]) {
    Bytes blockBytes(block, block + 8);
    return crypto::fitted(crypto::digest(p.hash, iterated, blockBytes), p.keyBits / 8, 0x36);
}

Bytes agileDecrypt(const AgileParams& p, const Bytes& key, Bytes value, const char* what) {
    if (value.empty() || value.size() % p.blockSize != 0)
        damaged(std::string(what) + " of " + std::to_string(value.size()) + " bytes");
    Bytes iv = crypto::fitted(p.salt, p.blockSize, 0x36);
    crypto::aes(false, Chaining::Cbc, key, iv.data(), value.data(), value.size());
    return value;
}

std::shared_ptr<const PageCipher> openAgile(ByteView info, const Bytes& password) {
    if (info.u32(4) != AgileReserved) damaged("its agile descriptor does not start as one");
    std::string_view xml(reinterpret_cast<const char*>(info.data()) + 8, info.size() - 8);
    auto keyData = elementAttributes(xml, "keyData");
    auto encryptor = elementAttributes(xml, "encryptedKey");
    if (!keyData) damaged("its descriptor has no keyData");
    if (!encryptor) throw Unsupported("the file is encrypted for certificates, not with a password");
    AgileParams data = agileParams(*keyData, false);
    AgileParams pw = agileParams(*encryptor, true);

    const Bytes iterated = iteratedHash(pw.hash, pw.salt, password, pw.spinCount);
    Bytes verifier = agileDecrypt(pw, agileKey(pw, iterated, VerifierInputBlock),
                                  base64(*encryptor, "encryptedVerifierHashInput"), "a verifier");
    Bytes verifierHash = agileDecrypt(pw, agileKey(pw, iterated, VerifierHashBlock),
                                      base64(*encryptor, "encryptedVerifierHashValue"), "a verifier hash");
    Bytes expected = crypto::digest(pw.hash, verifier);
    if (verifierHash.size() < expected.size()) damaged("a verifier hash shorter than its hash");
    if (!sameBytes(expected.data(), verifierHash.data(), expected.size())) wrongPassword();
    Bytes key = agileDecrypt(pw, agileKey(pw, iterated, KeyValueBlock), base64(*encryptor, "encryptedKeyValue"),
                             "a key");
    if (key.size() < data.keyBits / 8) damaged("a key shorter than its key size");
    key.resize(data.keyBits / 8);
    return std::make_shared<Agile>(std::move(data), std::move(key));
}

Bytes randomOf(std::size_t n) {
    Bytes b(n);
    crypto::randomBytes(b.data(), n);
    return b;
}

} // namespace

std::shared_ptr<const PageCipher> openOfficeEncryption(ByteView info, const std::u16string& password) {
    if (!info.contains(0, 8)) damaged("it is " + std::to_string(info.size()) + " bytes long");
    const Bytes pw = passwordBytes(password);
    const std::uint16_t major = info.u16(0), minor = info.u16(2);
    const std::string version = std::to_string(major) + "." + std::to_string(minor);
    if (major == 4 && minor == 4) return openAgile(info, pw);
    if ((major == 2 || major == 3 || major == 4) && minor == 2) {
        const std::uint32_t flags = info.u32(4);
        if (!(flags & FlagCryptoApi)) throw Unsupported("Office encryption " + version + " without CryptoAPI");
        CryptoApiInfo api = readCryptoApi(info);
        if (api.algorithm == AlgRc4) return std::make_shared<CryptoApiRc4>(api, pw);
        return std::make_shared<CryptoApiAes>(api, pw, (flags & FlagAes) != 0);
    }
    if (major == 1 && minor == 1) throw Unsupported("Office binary RC4 encryption (version 1.1) is not read");
    if ((major == 3 || major == 4) && minor == 3) throw Unsupported("extensible Office encryption is not read");
    throw Unsupported("unknown Office encryption version " + version);
}

NewOfficeEncryption makeAgileEncryption(const std::u16string& password, std::uint32_t spinCount) {
    if (password.empty()) throw Error("an encrypted database needs a password");
    if (password.size() > MaxPasswordChars) throw Error("a database password has at most 255 characters");
    if (spinCount > MaxSpinCount) throw Error("a spin count above " + std::to_string(MaxSpinCount));
    AgileParams data{Hash::Sha512, 256, 16, 0, randomOf(16)};
    AgileParams pw{Hash::Sha512, 256, 16, spinCount, randomOf(16)};
    const Bytes key = randomOf(32);
    const Bytes verifier = randomOf(16);

    const Bytes iterated = iteratedHash(pw.hash, pw.salt, passwordBytes(password), pw.spinCount);
    const Bytes iv = crypto::fitted(pw.salt, pw.blockSize, 0x36);
    auto seal = [&](const std::uint8_t(&block)[8], Bytes value) {
        value.resize((value.size() + 15) / 16 * 16, 0);
        crypto::aes(true, Chaining::Cbc, agileKey(pw, iterated, block), iv.data(), value.data(), value.size());
        return crypto::base64Encode(value);
    };
    const std::string attrs = " saltSize=\"16\" blockSize=\"16\" keyBits=\"256\" hashSize=\"64\" cipherAlgorithm=\"AES\" "
                              "cipherChaining=\"ChainingModeCBC\" hashAlgorithm=\"SHA512\" saltValue=\"";
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<encryption xmlns=\"http://schemas.microsoft.com/office/2006/encryption\" "
        "xmlns:p=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\" "
        "xmlns:c=\"http://schemas.microsoft.com/office/2006/keyEncryptor/certificate\">"
        "<keyData" + attrs + crypto::base64Encode(data.salt) + "\"/>"
        "<keyEncryptors><keyEncryptor uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\">"
        "<p:encryptedKey spinCount=\"" + std::to_string(spinCount) + "\"" + attrs + crypto::base64Encode(pw.salt) +
        "\" encryptedVerifierHashInput=\"" + seal(VerifierInputBlock, verifier) +
        "\" encryptedVerifierHashValue=\"" + seal(VerifierHashBlock, crypto::digest(pw.hash, verifier)) +
        "\" encryptedKeyValue=\"" + seal(KeyValueBlock, key) + "\"/></keyEncryptor></keyEncryptors></encryption>";
    NewOfficeEncryption out;
    out.info = {4, 0, 4, 0, static_cast<std::uint8_t>(AgileReserved), 0, 0, 0};
    out.info.insert(out.info.end(), xml.begin(), xml.end());
    out.cipher = std::make_shared<Agile>(std::move(data), key);
    return out;
}

} // namespace jet
