#include "split/Backup.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/fs.h>
#include <memory>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace split {

namespace fs = std::filesystem;

namespace {

constexpr const char* Marker = ".fendrel-backup-";
constexpr const char* Partial = ".partial";
constexpr const char* After = ".after";

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

[[noreturn]] void failWith(int error, const std::string& what) {
    const std::string text = what + ": " + std::strerror(error);
    if (error == ENOSPC || error == EDQUOT) throw BackupNoRoom(text);
    throw BackupError(text);
}

void syncFolder(const fs::path& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (dir.fd >= 0) ::fsync(dir.fd);
}

// Copies `from` into `to` (both open), by a clone when the filesystem can; true when cloned.
bool copyInto(int from, int to, std::uint64_t size, const CopyProgress& progress, const std::string& what) {
#ifdef FICLONE
    if (::ioctl(to, FICLONE, from) == 0) {
        if (progress) progress(size, size);
        return true;
    }
#endif
    std::vector<char> buffer(1 << 20);
    std::uint64_t done = 0;
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            failWith(errno, "cannot read " + what);
        }
        if (n == 0) break;
        for (ssize_t put = 0; put < n;) {
            const ssize_t w = ::write(to, buffer.data() + put, static_cast<std::size_t>(n - put));
            if (w < 0) {
                if (errno == EINTR) continue;
                failWith(errno, "cannot write the copy of " + what);
            }
            put += w;
        }
        done += static_cast<std::uint64_t>(n);
        if (progress) progress(done, size);
    }
    return false;
}

// `from` copied to a new file `to` (which must not exist), synced; removed again on failure.
bool copyFile(const fs::path& from, const fs::path& to, mode_t mode, const CopyProgress& progress) {
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0) failWith(errno, "cannot open " + from.string());
    struct stat st {};
    if (::fstat(in.fd, &st) != 0) failWith(errno, "cannot read " + from.string());
    Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (out.fd < 0) failWith(errno, "cannot make " + to.string());
    try {
        const bool cloned = copyInto(in.fd, out.fd, static_cast<std::uint64_t>(st.st_size), progress, from.string());
        if (::fsync(out.fd) != 0) failWith(errno, "cannot sync " + to.string());
        return cloned;
    } catch (...) {
        ::unlink(to.c_str());
        throw;
    }
}

// `time` in local time, as strftime's `format` writes it.
std::string localTime(std::int64_t time, const char* format) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, format, &tm);
    return buf;
}

// Where backups of `database` go: beside it when that folder may be written.
fs::path backupFolder(const fs::path& database) {
    const fs::path beside = database.has_parent_path() ? database.parent_path() : fs::path(".");
    if (::access(beside.c_str(), W_OK) == 0) return beside;
    const char* home = std::getenv("HOME");
    const char* data = std::getenv("XDG_DATA_HOME");
    fs::path folder = data && *data ? fs::path(data) : fs::path(home ? home : ".") / ".local/share";
    folder /= "Fendrel/Backups";
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

std::vector<fs::path> backupFolders(const fs::path& database) {
    std::vector<fs::path> folders = {database.has_parent_path() ? database.parent_path() : fs::path(".")};
    const char* home = std::getenv("HOME");
    const char* data = std::getenv("XDG_DATA_HOME");
    fs::path own = data && *data ? fs::path(data) : fs::path(home ? home : ".") / ".local/share";
    folders.push_back(own / "Fendrel/Backups");
    return folders;
}

std::string sha256Of(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw BackupError("cannot read " + file.string());
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr);
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        EVP_DigestUpdate(ctx.get(), buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_DigestFinal_ex(ctx.get(), digest, &n);
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < n; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}

struct FileState {
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds
    std::string sha256;
};

FileState stateOf(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) failWith(errno, "cannot read " + file.string());
    return {static_cast<std::uint64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec, sha256Of(file)};
}

// The note beside a backup: what it is a copy of, when it was made, and the file the split left.
void writeNote(const fs::path& note, const std::vector<std::pair<std::string, std::string>>& lines) {
    const fs::path partial = note.string() + Partial;
    {
        std::ofstream out(partial, std::ios::trunc);
        for (const auto& [key, value] : lines)
            out << key << '=' << value << '\n';
        out.flush();
        if (!out) throw BackupError("cannot write " + partial.string());
    }
    Fd fd(::open(partial.c_str(), O_RDONLY));
    if (fd.fd >= 0) ::fsync(fd.fd);
    fs::rename(partial, note);
    syncFolder(note.parent_path());
}

std::vector<std::pair<std::string, std::string>> readNote(const fs::path& note) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::ifstream in(note);
    for (std::string line; std::getline(in, line);)
        if (const auto eq = line.find('='); eq != std::string::npos)
            lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    return lines;
}

std::string valueOf(const std::vector<std::pair<std::string, std::string>>& lines, const std::string& key) {
    for (const auto& [k, v] : lines)
        if (k == key) return v;
    return {};
}

fs::path absolute(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(fs::absolute(path), ec);
    return ec ? fs::absolute(path) : p;
}

// A backup's place among those made in the same second, from its name: the prefix, the time
// (YYYYMMDD-HHMMSS), "-N" from the second on, the extension.
int sequenceOf(const std::string& name, std::size_t prefixLength, std::size_t extensionLength) {
    constexpr std::size_t TimeLength = 15;
    const std::size_t at = prefixLength + TimeLength;
    if (name.size() < at + extensionLength + 2 || name[at] != '-') return 1;
    const std::string digits = name.substr(at + 1, name.size() - extensionLength - at - 1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) return 1;
    return std::atoi(digits.c_str());
}

} // namespace

BackupInfo MakeBackup(const std::string& database, const CopyProgress& progress) {
    const fs::path source = absolute(database);
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) failWith(errno, "cannot read " + source.string());
    const fs::path folder = backupFolder(source);
    BackupInfo info;
    info.database = source.string();
    info.time = static_cast<std::int64_t>(std::time(nullptr));
    const std::string base = source.filename().string() + Marker + localTime(info.time, "%Y%m%d-%H%M%S");
    const std::string ext = source.extension().string();
    // A name no other backup has: never one replaced by another.
    fs::path target;
    for (int n = 1;; ++n) {
        target = folder / (base + (n > 1 ? "-" + std::to_string(n) : "") + ext);
        std::error_code ec;
        if (!fs::exists(target, ec) && !fs::exists(target.string() + Partial, ec)) break;
    }
    const fs::path partial = target.string() + Partial;
    info.cloned = copyFile(source, partial, st.st_mode & 0777, progress);
    // The whole backup takes its name without replacing anything there.
    if (::link(partial.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(partial.c_str());
        failWith(error, "cannot name the backup " + target.string());
    }
    ::unlink(partial.c_str());
    writeNote(target.string() + ".note", {{"database", info.database}, {"time", std::to_string(info.time)},
                                          {"cloned", info.cloned ? "1" : "0"}});
    syncFolder(folder);
    info.path = target.string();
    return info;
}

void NoteAfterSplit(const BackupInfo& backup) {
    const FileState now = stateOf(backup.database);
    writeNote(backup.path + After, {{"size", std::to_string(now.size)},
                                    {"modified", std::to_string(now.modified)},
                                    {"sha256", now.sha256}});
}

std::vector<BackupInfo> ListBackups(const std::string& database) {
    const fs::path source = absolute(database);
    const std::string prefix = source.filename().string() + Marker;
    std::vector<BackupInfo> out;
    for (const fs::path& folder : backupFolders(source)) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) != 0 || name.ends_with(Partial) || name.ends_with(After) ||
                name.ends_with(".note"))
                continue;
            const auto note = readNote(entry.path().string() + ".note");
            if (valueOf(note, "database") != source.string()) continue;
            BackupInfo info;
            info.path = entry.path().string();
            info.database = source.string();
            info.time = std::atoll(valueOf(note, "time").c_str());
            info.cloned = valueOf(note, "cloned") == "1";
            info.undone = valueOf(note, "undone") == "1";
            info.hasAfter = fs::exists(info.path + After, ec);
            info.sequence = sequenceOf(name, prefix.size(), source.extension().string().size());
            out.push_back(info);
        }
    }
    std::sort(out.begin(), out.end(), [](const BackupInfo& a, const BackupInfo& b) {
        return a.time != b.time ? a.time < b.time : a.sequence < b.sequence;
    });
    return out;
}

std::optional<std::string> ChangedSinceSplit(const BackupInfo& backup) {
    const auto note = readNote(backup.path + After);
    if (note.empty())
        return "the split that made this backup did not finish, so Fendrel cannot tell whether the file "
               "changed after it";
    const FileState now = stateOf(backup.database);
    if (std::to_string(now.size) != valueOf(note, "size") || now.sha256 != valueOf(note, "sha256"))
        return "the file changed after the split (another program wrote it); undo would lose those changes";
    return std::nullopt;
}

void RestoreBackup(const BackupInfo& backup, const CopyProgress& progress) {
    const fs::path database = backup.database;
    struct stat st {};
    const mode_t mode = ::stat(database.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    const fs::path partial = database.string() + ".fendrel-undo" + Partial;
    std::error_code ec;
    fs::remove(partial, ec); // left by an undo that was killed
    copyFile(backup.path, partial, mode, progress);
    ::chmod(partial.c_str(), mode);
    if (::rename(partial.c_str(), database.c_str()) != 0) {
        const int error = errno;
        ::unlink(partial.c_str());
        failWith(error, "cannot put the backup in place of " + database.string());
    }
    syncFolder(database.parent_path());
    writeNote(backup.path + ".note", {{"database", backup.database}, {"time", std::to_string(backup.time)},
                                      {"cloned", backup.cloned ? "1" : "0"}, {"undone", "1"}});
}

std::optional<BackupInfo> LatestSplit(const std::string& database) {
    const auto all = ListBackups(database);
    for (auto b = all.rbegin(); b != all.rend(); ++b)
        if (!b->undone) return *b;
    return std::nullopt;
}

std::string BackupTime(std::int64_t time) {
    return localTime(time, "%d %b %Y %H:%M:%S");
}

} // namespace split
