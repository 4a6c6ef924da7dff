// The pages' controls as the design places them: name, caption, place (15 twips to a pixel),
// font, keyboard order (top to bottom, as the page reads).
#include "WizardFixture.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTableView>

#include <cmath>

namespace wizard {
namespace {

struct Control {
    const char* name;
    const char* caption;          // nullptr: no caption to check
    int left, top, width, height; // twips
    double points;
    bool bold;
};

// Twips to the nearest pixel.
int Pixels(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

QString CaptionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* text = qobject_cast<QLineEdit*>(widget)) return text->text();
    return QString();
}

void ExpectLayout(app::Page& page, QSize client, std::initializer_list<Control> controls) {
    EXPECT_EQ(page.size(), client) << page.FormName().toStdString();
    for (const Control& c : controls) {
        SCOPED_TRACE(page.FormName().toStdString() + "." + c.name);
        auto* widget = page.findChild<QWidget*>(c.name);
        ASSERT_NE(widget, nullptr);
        if (c.caption) {
            EXPECT_EQ(CaptionOf(widget), QString::fromUtf8(c.caption));
        }
        EXPECT_EQ(widget->geometry(),
                  QRect(Pixels(c.left), Pixels(c.top), Pixels(c.width), Pixels(c.height)));
        EXPECT_EQ(widget->font().family(), "Arial");
        EXPECT_DOUBLE_EQ(widget->font().pointSizeF(), c.points);
        EXPECT_EQ(widget->font().bold(), c.bold);
    }
}

// The names of the focusable controls in keyboard order, starting from the first.
QStringList TabOrder(QWidget* first) {
    QStringList names;
    QWidget* widget = first;
    do {
        if (widget->focusPolicy() & Qt::TabFocus) names << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != first && names.size() < 30);
    return names;
}

using LayoutTest = WizardTest;

TEST_F(LayoutTest, Page1) {
    Form1& page = wizard->Form1();
    ExpectLayout(page, {536, 139},
                 {{"Frame1", "Access Database", 120, 120, 7800, 1335, 9, true},
                  {"Label5", "MDB or ACCDB File:", 240, 345, 1935, 255, 9, true},
                  {"Text1", "", 2280, 300, 4575, 345, 9, true},
                  {"PushButton5", "...", 6960, 300, 570, 345, 11.25, true},
                  {"lblPassword", "Password (if required):", 240, 840, 1950, 225, 9, true},
                  {"Text2", "", 2280, 800, 5265, 345, 9, true},
                  {"PushButton1", "Load Sample/Example Database", 120, 1580, 3840, 405, 11.25, true},
                  {"PushButton3", "Next >", 4080, 1575, 3840, 405, 11.25, true}});
    EXPECT_EQ(page.font().pointSizeF(), 9);
    EXPECT_FALSE(page.font().bold());
    EXPECT_EQ(TabOrder(page.Text1),
              QStringList({"Text1", "PushButton5", "Text2", "PushButton1", "PushButton3"}));
    EXPECT_EQ(page.Text2->echoMode(), QLineEdit::Password);
    EXPECT_EQ(page.Text2->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, page.Text2),
              '*');
}

TEST_F(LayoutTest, Page2) {
    Form2& page = wizard->Form2();
    ExpectLayout(
        page, {536, 174},
        {{"Frame1", "Which table contains the field you want to split?", 120, 120, 7800, 2415, 9, true},
         {"List1", nullptr, 240, 300, 7320, 1410, 9, true},
         {"PushButton2", "< Back", 240, 1845, 3600, 405, 11.25, true},
         {"PushButton3", "Next >", 3960, 1845, 3600, 405, 11.25, true}});
    EXPECT_EQ(TabOrder(page.List1), QStringList({"List1", "PushButton2", "PushButton3"}));
}

TEST_F(LayoutTest, Page3) {
    Form3& page = wizard->Form3();
    ExpectLayout(page, {536, 334},
                 {{"Frame1", "Preview", 120, 90, 7800, 1875, 9, true},
                  {"DataGrid1", nullptr, 240, 300, 7320, 1365, 9, true},
                  {"Frame2", " Which fields would you like to split?", 120, 2040, 7800, 2355, 9, true},
                  {"List1", nullptr, 240, 300, 3360, 1860, 9, true},
                  {"PushButton5", ">", 3720, 300, 375, 405, 11.25, true},
                  {"PushButton7", "<", 3720, 800, 375, 405, 11.25, true},
                  {"List2", nullptr, 4200, 300, 3360, 1860, 9, true},
                  {"PushButton2", "< Back", 120, 4530, 3840, 405, 11.25, true},
                  {"PushButton3", "Next >", 4080, 4530, 3840, 405, 11.25, true}});
    EXPECT_EQ(TabOrder(page.DataGrid1), QStringList({"DataGrid1", "List1", "PushButton5", "PushButton7",
                                                     "List2", "PushButton2", "PushButton3"}));
}

TEST_F(LayoutTest, Page4) {
    Form4& page = wizard->Form4();
    ExpectLayout(page, {536, 529},
                 {{"PushButton2", "< Back", 120, 120, 7800, 405, 11.25, true},
                  {"Frame1", " What character would you like to split all values in the field by?", 120, 570,
                   7800, 2205, 9, true},
                  {"Option1", "Space", 240, 300, 975, 255, 9, true},
                  {"Option2", "Comma", 240, 650, 1095, 255, 9, true},
                  {"Option3", "Comma-Space", 240, 1000, 1695, 255, 9, true},
                  {"Option5", "Line Break (Enter)", 240, 1350, 2055, 255, 9, true},
                  {"Option4", "Other:", 240, 1700, 855, 255, 9, true},
                  {"Text1", "", 1200, 1665, 960, 345, 9, true},
                  {"Frame2",
                   "Splits need to be put into new fields. What would you like to label these new fields as?",
                   120, 2820, 7800, 825, 9, true},
                  {"Text2", "SPLITCOLUMN", 240, 300, 7335, 345, 9, true},
                  {"PushButton4", "Finish", 120, 3760, 7800, 405, 11.25, true},
                  {"ProgressBar1", nullptr, 120, 4280, 7800, 405, 9, true},
                  {"PlanLine", nullptr, 360, 4800, 7560, 900, 9, true},
                  {"PreviewGrid", nullptr, 360, 5760, 5655, 2055, 9, true},
                  {"DataGrid1", nullptr, 360, 5760, 5655, 2055, 9, true},
                  {"UndoButton", "Undo", 6120, 5760, 1800, 405, 11.25, true},
                  {"BackupLine", nullptr, 360, 4800, 7560, 900, 9, true}});
    EXPECT_TRUE(page.font().bold());
    EXPECT_EQ(TabOrder(page.PushButton2),
              QStringList({"PushButton2", "Option1", "Option2", "Option3", "Option5", "Option4", "Text1",
                           "Text2", "PushButton4", "PreviewGrid", "DataGrid1", "UndoButton"}));
}

} // namespace
} // namespace wizard
