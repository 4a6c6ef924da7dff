// fendrel-wizard-bench: drives the wizard's pages offscreen through a whole run on a database, as a
// user would, and prints how long each step took. For bench/wizard; not installed.
//
//   fendrel-wizard-bench FILE TABLE FIELD [--password PW] [--separator space|comma|comma-space]
//   fendrel-wizard-bench --backup FILE
//
// Page 1's Next, page 2's Next up to a painted page 3 with its preview, page 4's preview (the first
// plan, then each change of separator and label, with the longest time the window waited for its
// events meanwhile), and Finish, each timed. Message boxes are printed instead of shown; settings
// go to a folder of their own. With --backup, the backup Finish keeps of FILE, timed.

#include "app/pages/ProgressBar.h"
#include "app/ui/MessageBox.h"
#include "app/ui/Runtime.h"
#include "split/Backup.h"
#include "wizard/Form1.h"
#include "wizard/Form2.h"
#include "wizard/Form3.h"
#include "wizard/Form4.h"
#include "wizard/Wizard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

class PrintedBoxes final : public app::MessageBoxes {
public:
    int Show(const QString& prompt, int, const QString& title) override {
        ++shown;
        std::fprintf(stderr, "[%s] %s\n", qPrintable(title), qPrintable(prompt));
        return app::vbOK;
    }
    int shown = 0;
};

// The real window system, but the end of the program is only noted.
class BenchRuntime final : public app::Runtime {
public:
    void DoEvents() override {
        ++yields;
        QCoreApplication::processEvents();
    }
    void End() override { ++ends; }
    QString ProgramFolder() override { return QCoreApplication::applicationDirPath(); }
    long yields = 0;
    int ends = 0;
};

double Ms(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Runs the event loop until the preview follows the page, and says how long that took and the
// longest the window went without its events meanwhile.
struct Followed {
    double ms = 0, longestWaitMs = 0;
};
Followed UntilPreviewFollows(wizard::Form4& page, const std::function<void()>& change) {
    QElapsedTimer clock, beat;
    clock.start();
    beat.start();
    Followed f;
    change();
    while (!page.PreviewReady()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        f.longestWaitMs = std::max(f.longestWaitMs, Ms(beat));
        beat.restart();
        QThread::usleep(200);
    }
    QCoreApplication::processEvents();
    f.ms = Ms(clock);
    return f;
}

int Backup(const QString& file) {
    QElapsedTimer clock;
    clock.start();
    try {
        const split::BackupInfo b = split::MakeBackup(file.toStdString());
        const double s = Ms(clock) / 1000;
        std::printf("backup_s %.3f (%s, %.0f MB) %s\n", s, b.cloned ? "reflink clone" : "copy",
                    static_cast<double>(std::filesystem::file_size(b.path)) / 1e6, b.path.c_str());
        std::error_code ignored;
        std::filesystem::remove(b.path, ignored);
        std::filesystem::remove(b.path + ".note", ignored);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "no backup: %s\n", e.what());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    if (args.size() == 2 && args[0] == "--backup") return Backup(args[1]);
    QString password, separator = QStringLiteral("comma-space");
    for (int i = 0; i + 1 < args.size();) {
        if (args[i] == "--password" || args[i] == "--separator") {
            (args[i] == "--password" ? password : separator) = args[i + 1];
            args.remove(i, 2);
        } else
            ++i;
    }
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: fendrel-wizard-bench FILE TABLE FIELD [--password PW] [--separator S]\n");
        return 2;
    }
    PrintedBoxes boxes;
    BenchRuntime runtime;
    app::MessageBoxes::Replace(&boxes);
    app::Runtime::Replace(&runtime);
    int status = 0;
    {
        wizard::Wizard wizard;
        wizard.Start();
        wizard::Form1& page1 = wizard.Form1();
        page1.Text1->setText(args[0]);
        page1.Text2->setText(password);

        QElapsedTimer clock;
        clock.start();
        page1.PushButton3->click();
        const double next1 = Ms(clock);

        wizard::Form2& page2 = wizard.Form2();
        const auto tables = page2.List1->findItems(args[1], Qt::MatchExactly);
        if (tables.isEmpty()) {
            std::fprintf(stderr, "no table %s\n", qPrintable(args[1]));
            return 1;
        }
        page2.List1->setCurrentItem(tables[0]);
        clock.restart();
        page2.PushButton3->click();
        wizard::Form3& page3 = wizard.Form3();
        page3.repaint();
        QCoreApplication::processEvents();
        const double next2 = Ms(clock);
        const long previewRows = page3.DataGrid1->model()->rowCount();

        const auto fields = page3.List1->findItems(args[2], Qt::MatchExactly);
        if (fields.isEmpty()) {
            std::fprintf(stderr, "no field %s\n", qPrintable(args[2]));
            return 1;
        }
        page3.List1->setCurrentItem(fields[0]);
        page3.PushButton5->click();
        page3.PushButton3->click();

        wizard::Form4& page4 = wizard.Form4();
        const Followed first = UntilPreviewFollows(page4, [] {});
        std::printf("page4_first_preview_ms %.1f (the values read and cut; window waited at most %.1f ms)\n",
                    first.ms, first.longestWaitMs);
        const std::pair<const char*, std::function<void()>> changes[] = {
            {"Comma", [&] { page4.Option2->setChecked(true); }},
            {"Other \"-\"", [&] {
                 page4.Option4->setChecked(true);
                 page4.Text1->setText("-");
             }},
            {"label PART", [&] { page4.Text2->setText("PART"); }},
            {"label SPLITCOLUMN", [&] { page4.Text2->setText("SPLITCOLUMN"); }},
            {"Space", [&] { page4.Option1->setChecked(true); }},
        };
        double slowest = 0, longestWait = 0;
        for (const auto& [what, change] : changes) {
            const Followed f = UntilPreviewFollows(page4, change);
            slowest = std::max(slowest, f.ms);
            longestWait = std::max(longestWait, f.longestWaitMs);
            std::printf("   preview after %s: %.1f ms\n", what, f.ms);
        }
        std::printf("page4_preview_follows_ms %.1f at most (window waited at most %.1f ms)\n", slowest, longestWait);
        (separator == "space"   ? page4.Option1
         : separator == "comma" ? page4.Option2
                                : page4.Option3)
            ->setChecked(true);
        UntilPreviewFollows(page4, [] {});
        const long yieldsBefore = runtime.yields;
        clock.restart();
        page4.PushButton4->click();
        const double finish = Ms(clock);
        std::printf("page1_next_ms %.1f\npage2_next_to_painted_page3_ms %.1f (preview rows read: %ld)\n"
                    "finish_s %.2f (window system reached %ld times, button now \"%s\", %d boxes)\n",
                    next1, next2, previewRows, finish / 1000, runtime.yields - yieldsBefore,
                    qPrintable(page4.PushButton4->text()), boxes.shown);
        status = page4.PushButton4->text() == "Exit" && boxes.shown == 0 ? 0 : 1;
    }
    app::MessageBoxes::Replace(nullptr);
    app::Runtime::Replace(nullptr);
    return status;
}
