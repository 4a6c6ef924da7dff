#pragma once
// fendrel-split's safeguards around a split (the confirmation of replaced values and the backup)
// and the commands on backups: --undo and --backups.

#include "split/Backup.h"
#include "split/Run.h"

#include <optional>
#include <string>

namespace fendrel_split {

// The split's safeguards: refuses replacing columns that hold values unless `replace`; keeps a
// backup of `file` unless `noBackup`, and notes the file after the split beside it.
class Safety {
public:
    Safety(std::string file, bool replace, bool noBackup, bool terminal);
    split::Safeguards safeguards();

private:
    bool beforeChange(const split::Plan& plan);
    void afterChange(const split::Result& result);

    std::string file_;
    bool replace_, noBackup_, terminal_;
    std::optional<split::BackupInfo> backup_;
};

// --undo: puts back the backup of FILE's latest split; exit status.
int Undo(const std::string& file, bool force);
// --backups: lists FILE's backups with their times; exit status.
int ListBackups(const std::string& file);

} // namespace fendrel_split
