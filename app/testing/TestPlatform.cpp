#include "app/testing/TestPlatform.h"

#include "db/Error.h"

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
    if ((style & 0x7) != vbYesNo) return vbOK;
    return answers.isEmpty() ? answer : answers.takeFirst();
}

QString FakeFileDialogs::ShowOpen(const OpenFileRequest& request) {
    requests << request;
    return chosen;
}

std::unique_ptr<ADODB::Connection> FakeDataObjects::CreateConnection(const std::string& progId) {
    created << QString::fromStdString(progId);
    if (failure) throw db::Error(failure->number, failure->description);
    return db::CreateConnection(progId);
}

TestPlatform::TestPlatform() {
    EnsureApplication();
    MessageBoxes::Replace(&messages);
    FileDialogs::Replace(&files);
    WebPages::Replace(&web);
    Runtime::Replace(&runtime);
    DataObjects::Replace(&data);
}

TestPlatform::~TestPlatform() {
    MessageBoxes::Replace(nullptr);
    FileDialogs::Replace(nullptr);
    WebPages::Replace(nullptr);
    Runtime::Replace(nullptr);
    DataObjects::Replace(nullptr);
}

} // namespace app
