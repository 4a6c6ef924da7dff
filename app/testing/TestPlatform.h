#pragma once
// Test doubles for the layer over Qt. A TestPlatform puts them all in place for its lifetime:
// message boxes are recorded and answered at once, the file dialog returns a chosen name, web
// pages are recorded, ending the program is recorded, and the program folder is one the test
// chooses. It also makes sure a QApplication exists.

#include "app/ui/CommonDialog.h"
#include "app/ui/DataObjects.h"
#include "app/ui/MessageBox.h"
#include "app/ui/Runtime.h"
#include "app/ui/WebPages.h"

#include <QList>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace app {

struct ShownMessage {
    QString prompt;
    int style = 0;
    QString title;
};

class FakeMessageBoxes final : public MessageBoxes {
public:
    int Show(const QString& prompt, int style, const QString& title) override;

    QList<ShownMessage> shown;
    int answer = vbYes;   // given to Yes/No boxes; others answer OK
    QList<int> answers;   // given in turn to the next Yes/No boxes, before `answer`
};

class FakeFileDialogs final : public FileDialogs {
public:
    QString ShowOpen(const OpenFileRequest& request) override;

    QList<OpenFileRequest> requests;
    QString chosen; // "" answers as a cancel
};

class FakeWebPages final : public WebPages {
public:
    void Open(const QUrl& address) override { opened << address; }

    QList<QUrl> opened;
};

class FakeRuntime final : public Runtime {
public:
    void DoEvents() override {
        ++yields;
        if (onYield) onYield();
    }
    void End() override { ++ends; }
    QString ProgramFolder() override { return folder; }

    std::function<void()> onYield; // what the user does while the program yields
    int yields = 0;
    int ends = 0;
    QString folder;
};

// The data layer's objects, or the failure the test wants their creation to raise.
class FakeDataObjects final : public DataObjects {
public:
    std::unique_ptr<ADODB::Connection> CreateConnection(const std::string& progId) override;

    struct Failure {
        long number = 0;
        std::string description;
    };
    std::optional<Failure> failure;
    QStringList created; // the names asked for
};

class TestPlatform {
public:
    TestPlatform();
    ~TestPlatform();
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    FakeMessageBoxes messages;
    FakeFileDialogs files;
    FakeWebPages web;
    FakeRuntime runtime;
    FakeDataObjects data;
};

} // namespace app
