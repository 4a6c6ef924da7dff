#pragma once
// Message boxes. The style is the sum of a button set and an icon; the answer names the button
// pressed.

#include "app/ui/Replaceable.h"

#include <QString>

namespace app {

enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbYesNo = 4,
    vbExclamation = 48,
};

enum MsgBoxResult : int {
    vbOK = 1,
    vbYes = 6,
    vbNo = 7,
};

class MessageBoxes : public Replaceable<MessageBoxes> {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal box and returns the answer once it is closed.
    virtual int Show(const QString& prompt, int style, const QString& title) = 0;

    static MessageBoxes& Standard();
};

// Shows a message box; without a title it carries the application title.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {});

} // namespace app
