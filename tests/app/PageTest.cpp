// The page model and what every page shares: load once, show and hide, the pointer rule, the
// hand pointer's file, the colours, the skin and the end of the program when a page is closed.
#include "app/pages/Page.h"
#include "app/helpers/ApplyFormColors.h"
#include "app/helpers/ApplySkin.h"
#include "app/pages/Controls.h"
#include "app/pages/CursorFile.h"
#include "app/pages/ProgressBar.h"
#include "app/testing/TestPlatform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtEndian>

namespace app {
namespace {

// A Windows cursor file of a 32 x 32 picture with the given hotspot.
QByteArray CursorBytes(quint16 hotX, quint16 hotY) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    EXPECT_TRUE(writer.write(image));
    QByteArray bytes = buffer.data();
    qToLittleEndian<quint16>(2, bytes.data() + 2); // a cursor, not an icon
    qToLittleEndian<quint16>(hotX, bytes.data() + 10);
    qToLittleEndian<quint16>(hotY, bytes.data() + 12);
    return bytes;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class TestPage : public Page {
public:
    TestPage() : Page("FormT", 8040, 2085) {
        frame = Frame(this, "Frame1", "Frame", Place{120, 120, 7800, 1335});
        label = Label(frame, "Label1", "Label", Place{240, 345, 1935, 255});
        text = TextBox(frame, "Text1", Place{2280, 300, 4575, 345});
        option = OptionButton(frame, "Option1", "Option", Place{240, 800, 975, 255});
        button = PushButton(this, "PushButton1", "Next >", Place{4080, 1575, 3840, 405});
        Pointer()->HandOver({button});
        Pointer()->ArrowOver({this, text, frame});
    }

    void Form_Load() override {
        ++loads;
        ErrorTrap trap = Trap("Form_Load");
        LoadPageSetup(trap);
    }

    int loads = 0;
    QGroupBox* frame;
    QLabel* label;
    QLineEdit* text;
    QRadioButton* option;
    QPushButton* button;
};

void MoveMouseOver(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

class PageTest : public ::testing::Test {
protected:
    void SetUp() override { platform.runtime.folder = folder.path(); }

    TestPlatform platform;
    QTemporaryDir folder;
};

TEST_F(PageTest, LoadsOnceAndKeepsItsContentsWhileHidden) {
    TestPage page;
    page.Show();
    page.text->setText("kept");
    page.Hide();
    EXPECT_FALSE(page.isVisible());
    page.Show();
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(page.loads, 1);
    EXPECT_EQ(page.text->text(), "kept");
    EXPECT_EQ(page.Caption(), "Fendrel");
    EXPECT_FALSE(page.windowIcon().isNull());
    EXPECT_TRUE(platform.messages.shown.isEmpty());
}

TEST_F(PageTest, IsAFixedWindowWithoutMaximize) {
    TestPage page;
    EXPECT_EQ(page.size(), QSize(536, 139));
    EXPECT_EQ(page.minimumSize(), page.maximumSize());
    EXPECT_FALSE(page.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(page.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(page.button->geometry(), QRect(272, 105, 256, 27));
}

TEST_F(PageTest, ClosingThePageEndsTheProgram) {
    TestPage page;
    page.Show();
    EXPECT_EQ(platform.runtime.ends, 0);
    page.close();
    EXPECT_EQ(platform.runtime.ends, 1);
}

TEST_F(PageTest, PointerRuleShowsTheHandOverButtonsAndKeepsTheHourglass) {
    TestPage page;
    page.Show();
    MoveMouseOver(page.button);
    EXPECT_EQ(page.MousePointer(), vbCustom);
    EXPECT_EQ(page.cursor().shape(), Qt::PointingHandCursor); // no HAND-M.CUR beside the program
    MoveMouseOver(page.label);                                // labels have no rule of their own
    MoveMouseOver(page.option);
    EXPECT_EQ(page.MousePointer(), vbCustom);
    MoveMouseOver(page.text);
    EXPECT_EQ(page.MousePointer(), vbDefault);

    page.SetMousePointer(vbHourglass);
    MoveMouseOver(page.button);
    MoveMouseOver(&page);
    EXPECT_EQ(page.MousePointer(), vbHourglass);
    EXPECT_EQ(page.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(page.text->cursor().shape(), Qt::WaitCursor); // also over a control with its own pointer
    EXPECT_THROW(page.SetMousePointer(5), std::exception);
    EXPECT_EQ(page.MousePointer(), vbHourglass);

    page.SetMousePointer(vbDefault);
    EXPECT_EQ(page.text->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(page.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(PageTest, HandPointerComesFromTheCursorFileBesideTheProgram) {
    WriteFile(HandPointerFile(), CursorBytes(9, 3));
    TestPage page;
    page.Load();
    ASSERT_TRUE(page.HasMouseIcon());
    page.SetMousePointer(vbCustom);
    EXPECT_EQ(page.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(page.cursor().hotSpot(), QPoint(9, 3));
    EXPECT_TRUE(platform.messages.shown.isEmpty());
}

TEST_F(PageTest, ABrokenCursorFileIsReportedAndTheLoadGoesOn) {
    WriteFile(HandPointerFile(), "not a cursor");
    TestPage page;
    page.Load();
    EXPECT_FALSE(page.HasMouseIcon());
    ASSERT_EQ(platform.messages.shown.size(), 1);
    EXPECT_TRUE(
        platform.messages.shown[0].prompt.contains("in Tolvane2021/08/31.FormT.Form_Load at line 108"));
    EXPECT_EQ(page.Caption(), "Fendrel"); // line 110 still ran
}

TEST(ProgressBar, ShowsItsTextUnchanged) {
    TestPlatform platform;
    ProgressBar bar;
    bar.SetText("UPDATE [T] SET [C1] = '100%p %v' WHERE [C] = '5%m'");
    bar.setValue(40);
    EXPECT_EQ(bar.text(), "UPDATE [T] SET [C1] = '100%p %v' WHERE [C] = '5%m'");
}

TEST(CursorFile, RejectsIconsAndShortFiles) {
    QTemporaryDir dir;
    TestPlatform platform;
    QByteArray icon = CursorBytes(1, 1);
    qToLittleEndian<quint16>(1, icon.data() + 2);
    WriteFile(dir.filePath("icon.cur"), icon);
    WriteFile(dir.filePath("short.cur"), CursorBytes(1, 1).left(10));
    EXPECT_THROW(LoadCursorFile(dir.filePath("icon.cur")), std::exception);
    EXPECT_THROW(LoadCursorFile(dir.filePath("short.cur")), std::exception);
    EXPECT_THROW(LoadCursorFile(dir.filePath("missing.cur")), std::exception);
    // A hotspot beyond the picture is kept inside it.
    WriteFile(dir.filePath("far.cur"), CursorBytes(500, 500));
    EXPECT_EQ(LoadCursorFile(dir.filePath("far.cur")).hotSpot(), QPoint(31, 31));
}

TEST_F(PageTest, FormColorsReachFramesLabelsAndOptionsButNotTextBoxes) {
    TestPage page;
    const QColor face = QApplication::palette().color(QPalette::Button);
    QPalette white = page.palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    page.setPalette(white);
    const QColor textBase = page.text->palette().color(QPalette::Base);

    ApplyFormColors(page);
    for (QWidget* widget : std::initializer_list<QWidget*>{&page, page.frame, page.label, page.option})
        EXPECT_EQ(widget->palette().color(QPalette::Window), face) << widget->objectName().toStdString();
    EXPECT_EQ(page.text->palette().color(QPalette::Base), textBase);
}

TEST_F(PageTest, SkinIsAppliedOnlyWhenItsFileExists) {
    TestPage page;
    page.setStyleSheet(QString());
    QPalette white = page.palette();
    white.setColor(QPalette::Window, Qt::white);
    page.setPalette(white);

    ApplySkin(page);
    EXPECT_EQ(page.palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(qApp->styleSheet().isEmpty());

    WriteFile(SkinFile(), "QPushButton { color: navy; }");
    EXPECT_EQ(SkinFile(), QDir::toNativeSeparators(folder.filePath("x/o.cjs")));
    ApplySkin(page);
    EXPECT_EQ(page.label->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(qApp->styleSheet(), "QPushButton { color: navy; }");
    qApp->setStyleSheet(QString());
}

} // namespace
} // namespace app
