#include "app/ui/Runtime.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace app {

namespace {

class QtRuntime final : public Runtime {
public:
    void DoEvents() override { QCoreApplication::processEvents(); }

    void End() override {
        // Settings reach their file on every write, so nothing is waiting to be saved.
        std::fflush(nullptr);
        std::_Exit(0);
    }

    QString ProgramFolder() override { return QCoreApplication::applicationDirPath(); }
};

} // namespace

Runtime& Runtime::Standard() {
    static QtRuntime standard;
    return standard;
}

QString BesideProgram(const QString& relativePath) {
    return QDir::toNativeSeparators(QDir(Runtime::Current().ProgramFolder()).filePath(relativePath));
}

} // namespace app
