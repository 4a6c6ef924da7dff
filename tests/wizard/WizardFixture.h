#pragma once
// A wizard in a world of its own: test doubles for every modal window and for ending the program,
// a fresh settings folder and a program folder that starts empty.

#include "app/Globals.h"
#include "app/testing/TestPlatform.h"
#include "wizard/Form1.h"
#include "wizard/Form2.h"
#include "wizard/Form3.h"
#include "wizard/Form4.h"
#include "wizard/Wizard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <ostream>

// Texts print as texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace wizard {

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(config.isValid() && folder.isValid());
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        qputenv("XDG_DATA_HOME", QDir(config.path()).filePath("data").toUtf8());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        platform.runtime.folder = folder.path();
        Globals::SelectedTable.clear();
        Globals::SelectedFields.clear();
        qApp->setStyleSheet(QString());
    }

    void TearDown() override { qApp->setStyleSheet(QString()); }

    // Writes a file beside the program.
    void Beside(const QString& name, const QByteArray& bytes) {
        const QString path = folder.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QString SettingsFile() const { return QDir(config.path()).filePath("Marquell.ini"); }

    // Stores a setting as an earlier run of the program would have.
    void Stored(const QString& key, const QString& value) {
        QSettings store(SettingsFile(), QSettings::IniFormat);
        store.setValue("Fendrel/" + key, value);
    }

    QString Setting(const QString& key) {
        QSettings store(SettingsFile(), QSettings::IniFormat);
        return store.value("Fendrel/" + key, "<absent>").toString();
    }

    // Page 4's preview is made away from the window, its result arriving as an event: runs the
    // event loop until it shows the plan of the page as it is (30 s at most).
    static bool PreviewFollows(Form4& page) {
        QElapsedTimer clock;
        clock.start();
        while (!page.PreviewReady() && clock.elapsed() < 30000) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        QCoreApplication::processEvents();
        return page.PreviewReady() && page.PreviewedPlan();
    }

    QStringList Messages() const {
        QStringList prompts;
        for (const app::ShownMessage& message : platform.messages.shown)
            prompts << message.prompt;
        return prompts;
    }

    app::TestPlatform platform;
    QTemporaryDir config;
    QTemporaryDir folder;
    std::unique_ptr<Wizard> wizard = std::make_unique<Wizard>();
};

} // namespace wizard
