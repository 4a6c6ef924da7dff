#pragma once
// The copy of a database kept before a split changes it, and putting it back (undo).
//
// A backup lies beside the file when that folder may be written (else in the user's
// ~/.local/share/Fendrel/Backups): "People.mdb" gets "People.mdb.fendrel-backup-20261209-231500.mdb",
// byte for byte the file as it was, synced. It is made under a ".partial" name, by a reflink clone
// where the filesystem has one (no time, no space) and by a copy elsewhere, and takes its name only
// when whole, so a kill during the backup leaves no half backup taken for whole. A backup never
// replaces another. After the split, a note beside the backup (".after") keeps the size, time and
// SHA-256 of the file as the split left it: undo refuses, unless forced, when the file changed since.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace split {

// A backup could not be made or put back; what() says why.
struct BackupError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// There is not room for the backup: nothing was kept, and the database is untouched.
struct BackupNoRoom : BackupError {
    using BackupError::BackupError;
};

struct BackupInfo {
    std::string path;     // the backup
    std::string database; // the file it is a copy of
    std::int64_t time = 0; // when it was made, seconds since 1970
    int sequence = 1;      // its place among the backups made in the same second (its name's "-N")
    bool cloned = false;  // made by a reflink clone
    bool hasAfter = false; // the split finished and noted the file it left
    bool undone = false;   // put back already
};

// Called as a copy goes: bytes copied, bytes in all.
using CopyProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Backs up `database`; throws BackupNoRoom when the disk is full, BackupError otherwise.
BackupInfo MakeBackup(const std::string& database, const CopyProgress& progress = {});

// Notes the file as the split left it beside its backup.
void NoteAfterSplit(const BackupInfo& backup);

// The backups of `database`, oldest first.
// The latest backup not yet put back, the one undo takes; nullopt when there is none.
std::optional<BackupInfo> LatestSplit(const std::string& database);
std::vector<BackupInfo> ListBackups(const std::string& database);

// Why undo would lose changes made after the split (the file is not as the split left it), or
// nullopt when it would not.
std::optional<std::string> ChangedSinceSplit(const BackupInfo& backup);

// Puts the backup back in place of its database: copied beside it, synced, then renamed over it,
// the database's permissions kept. The backup stays, marked as put back: the next undo takes the
// split before it.
void RestoreBackup(const BackupInfo& backup, const CopyProgress& progress = {});

// "23 Dec 2026 14:03:05", local time.
std::string BackupTime(std::int64_t time);

} // namespace split
