#include "app/testing/TestPlatform.h"

#include <QApplication>

namespace app {

namespace {

void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "fendrel-tests";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process; Qt's own teardown at exit is not the tests' business.
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
}

} // namespace

int FakeMessageBoxes::Show(const QString& prompt, int style, const QString& title) {
    shown << ShownMessage{prompt, style, title};
    return (style & 0x7) == vbYesNo ? answer : vbOK;
}

QString FakeFileDialogs::ShowOpen(const OpenFileRequest& request) {
    requests << request;
    return chosen;
}

TestPlatform::TestPlatform() {
    EnsureApplication();
    MessageBoxes::Replace(&messages);
    FileDialogs::Replace(&files);
    WebPages::Replace(&web);
    Runtime::Replace(&runtime);
}

TestPlatform::~TestPlatform() {
    MessageBoxes::Replace(nullptr);
    FileDialogs::Replace(nullptr);
    WebPages::Replace(nullptr);
    Runtime::Replace(nullptr);
}

} // namespace app
