#pragma once
// The running program: yielding to the window system, ending at once, and the program folder.

#include "app/ui/Replaceable.h"

#include <QString>

namespace app {

class Runtime : public Replaceable<Runtime> {
public:
    virtual ~Runtime() = default;
    // Lets the window system handle pending events (repaints, clicks).
    virtual void DoEvents() = 0;
    // Ends the program at once: no further event of any page runs.
    virtual void End() = 0;
    // The folder of the program file, without a trailing separator.
    virtual QString ProgramFolder() = 0;

    static Runtime& Standard();
};

inline void DoEvents() {
    Runtime::Current().DoEvents();
}
inline void End() {
    Runtime::Current().End();
}

// The path of a file beside the program, e.g. BesideProgram("x/o.cjs"), with the platform's
// separators.
QString BesideProgram(const QString& relativePath);

} // namespace app
