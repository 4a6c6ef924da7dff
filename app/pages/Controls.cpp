#include "app/pages/Controls.h"

#include "app/grid/RecordSetModel.h"
#include "app/pages/Twips.h"

#include <QGroupBox>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>

namespace app {

namespace {

// A list or grid with the keyboard focus is framed in the highlight colour: its selection alone looks
// the same with or without the focus.
void FrameWhenFocused(QAbstractItemView* view) {
    view->setStyleSheet(QStringLiteral("QAbstractItemView:focus { border: 1px solid palette(highlight); }"));
}

template <class Control> Control* Make(Control* control, const char* name, Place place, const QFont& font) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(TwipsRect(place.left, place.top, place.width, place.height));
    control->setFont(font);
    return control;
}

// A value's line breaks show as blanks, so that every row of a grid is one line high.
class OneLineCells final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override {
        QString text = QStyledItemDelegate::displayText(value, locale);
        for (QChar& c : text)
            if (c == QChar('\r') || c == QChar('\n') || c == QChar::LineSeparator) c = QChar(' ');
        return text;
    }
};

} // namespace

QFont Arial(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont ControlFont() {
    return Arial(9, true);
}
QFont ButtonFont() {
    return Arial(11.25, true);
}

QGroupBox* Frame(QWidget* container, const char* name, const QString& caption, Place place) {
    return Make(new FrameBox(caption, container), name, place, ControlFont());
}

void FrameBox::paintEvent(QPaintEvent*) {
    // On a desktop the style draws a frame's caption in the platform's title font, regular, whatever
    // the frame's own font; the caption is drawn here in the frame's font instead.
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect label = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    option.subControls &= ~QStyle::SC_GroupBoxLabel;
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QRect text(label.topLeft(), QSize(std::max(label.width(), fontMetrics().horizontalAdvance(title()) + 2),
                                            std::max(label.height(), fontMetrics().height())));
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title());
}

QLabel* Label(QWidget* container, const char* name, const QString& caption, Place place) {
    return Make(new QLabel(caption, container), name, place, ControlFont());
}

QLineEdit* TextBox(QWidget* container, const char* name, Place place) {
    return Make(new QLineEdit(container), name, place, ControlFont());
}

QPushButton* PushButton(QWidget* container, const char* name, const QString& caption, Place place) {
    return Make(new QPushButton(caption, container), name, place, ButtonFont());
}

QListWidget* ListBox(QWidget* container, const char* name, Place place) {
    auto* list = Make(new QListWidget(container), name, place, ControlFont());
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    FrameWhenFocused(list);
    return list;
}

QRadioButton* OptionButton(QWidget* container, const char* name, const QString& caption, Place place) {
    return Make(new QRadioButton(caption, container), name, place, ControlFont());
}

QTableView* DataGrid(QWidget* container, const char* name, Place place) {
    auto* grid = Make(new QTableView(container), name, place, container->font());
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Read-only: the arrow keys move from cell to cell, Tab leaves the grid for the next control.
    grid->setTabKeyNavigation(false);
    grid->setModel(new RecordSetModel(grid));
    // One line to a row, however long or many-lined a value is.
    grid->setWordWrap(false);
    grid->setItemDelegate(new OneLineCells(grid));
    grid->setTextElideMode(Qt::ElideRight);
    QHeaderView* rows = grid->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(QFontMetrics(grid->font()).height() + 4);
    FrameWhenFocused(grid);
    return grid;
}

void MaskWithStars(QLineEdit* textBox) {
    textBox->setEchoMode(QLineEdit::Password);
    textBox->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
}

} // namespace app
