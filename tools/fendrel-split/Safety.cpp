#include "Safety.h"

#include <cinttypes>
#include <cstdio>
#include <unistd.h>

namespace fendrel_split {

namespace {

// A copy's progress on a terminal, redrawn in place.
split::CopyProgress copyProgress(bool terminal, const char* what) {
    if (!terminal) return {};
    return [what](std::uint64_t done, std::uint64_t total) {
        std::fprintf(stderr, "\r%s %3d%%\x1b[K", what, total ? static_cast<int>(done * 100 / total) : 100);
        if (done == total) std::fprintf(stderr, "\r\x1b[K");
        std::fflush(stderr);
    };
}

} // namespace

Safety::Safety(std::string file, bool replace, bool noBackup, bool terminal)
    : file_(std::move(file)), replace_(replace), noBackup_(noBackup), terminal_(terminal) {}

split::Safeguards Safety::safeguards() {
    return {[this](const split::Plan& plan) { return beforeChange(plan); },
            [this](const split::Result& result) { afterChange(result); }};
}

bool Safety::beforeChange(const split::Plan& plan) {
    const auto replaced = plan.replacedWithValues();
    if (!replace_ && !replaced.empty()) {
        std::string named;
        for (const split::PlannedColumn* c : replaced)
            named += (named.empty() ? "" : ", ") + c->name +
                     (c->valuesNow < 0 ? "" : " (" + std::to_string(c->valuesNow) + (c->valuesNow == 1 ? " value)" : " values)"));
        std::fprintf(stderr,
                     "the split would replace columns that hold values: %s; nothing was changed. Run it with "
                     "--replace to replace them.\n",
                     named.c_str());
        return false;
    }
    if (noBackup_) return true;
    try {
        backup_ = split::MakeBackup(file_, copyProgress(terminal_, "backing up"));
    } catch (const split::BackupNoRoom& e) {
        std::fprintf(stderr,
                     "there is not room for a backup of %s (%s); nothing was changed. Make room, or run it with "
                     "--no-backup to split without one.\n",
                     file_.c_str(), e.what());
        return false;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "could not back up %s: %s; nothing was changed. Run it with --no-backup to split "
                             "without a backup.\n",
                     file_.c_str(), e.what());
        return false;
    }
    std::printf("backup: %s (%s)\n", backup_->path.c_str(), backup_->cloned ? "a clone" : "a copy");
    std::fflush(stdout);
    return true;
}

void Safety::afterChange(const split::Result&) {
    if (!backup_) return;
    try {
        split::NoteAfterSplit(*backup_);
        std::printf("to undo it: fendrel-split --undo '%s'\n", file_.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "could not note the file beside its backup (%s): an undo will need --force\n",
                     e.what());
    }
}

int Undo(const std::string& file, bool force) {
    const auto found = split::LatestSplit(file);
    if (!found) {
        std::fprintf(stderr, "%s has no backup from a split left to put back; nothing was changed\n", file.c_str());
        return 1;
    }
    const split::BackupInfo& latest = *found;
    try {
        if (auto why = split::ChangedSinceSplit(latest); why && !force) {
            std::fprintf(stderr, "undo refused: %s; nothing was changed. Run it with --force to put back the backup "
                                 "of %s anyway.\n",
                         why->c_str(), split::BackupTime(latest.time).c_str());
            return 1;
        }
        split::RestoreBackup(latest, copyProgress(::isatty(STDERR_FILENO) == 1, "putting back"));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "could not undo the split: %s; the file is as it was\n", e.what());
        return 1;
    }
    std::printf("put back the backup of %s (%s)\n", split::BackupTime(latest.time).c_str(), latest.path.c_str());
    return 0;
}

int ListBackups(const std::string& file) {
    const auto backups = split::ListBackups(file);
    if (backups.empty()) std::printf("%s has no backup from a split\n", file.c_str());
    for (const auto& b : backups)
        std::printf("%s  %s%s\n", split::BackupTime(b.time).c_str(), b.path.c_str(),
                    b.undone      ? "  (put back)"
                    : b.hasAfter ? ""
                                 : "  (its split did not finish)");
    return 0;
}

} // namespace fendrel_split
