#pragma once
// The open-file dialog. A page fills in the members, calls ShowOpen and reads FileName: an empty
// name after ShowOpen means the user cancelled.

#include "app/ui/Replaceable.h"

#include <QString>

namespace app {

// Flags of the open-file dialog.
enum CommonDialogFlags : int {
    cdlOFNReadOnly = 0x1,
    cdlOFNExplorer = 0x80000,
    cdlOFNLongNames = 0x200000,
};

struct OpenFileRequest {
    QString DialogTitle;
    // Pairs of description and pattern, each followed by "|":
    // "Access (*.mdb)|*.mdb|All files|*.*|".
    QString Filter;
    QString FileName; // the name the dialog starts with
    int Flags = 0;
};

class FileDialogs : public Replaceable<FileDialogs> {
public:
    virtual ~FileDialogs() = default;
    // Shows the modal open-file dialog; returns the chosen path, or "" when cancelled.
    virtual QString ShowOpen(const OpenFileRequest& request) = 0;

    static FileDialogs& Standard();
};

class CommonDialog {
public:
    QString FileName;
    int Flags = 0;
    QString DialogTitle;
    QString Filter;

    void ShowOpen();
};

// The filter text in Qt's form: "Access (*.mdb);;All files (*.*)".
QString QtNameFilters(const QString& filter);

} // namespace app
