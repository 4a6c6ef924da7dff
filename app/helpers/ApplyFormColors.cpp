#include "app/helpers/ApplyFormColors.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

namespace app {

namespace {

void PaintButtonFace(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setBrush(QPalette::Window, QApplication::palette().brush(QPalette::Button));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

bool TakesButtonFace(const QWidget* widget) {
    return qobject_cast<const QRadioButton*>(widget) || qobject_cast<const QCheckBox*>(widget) ||
           qobject_cast<const QGroupBox*>(widget) || qobject_cast<const QLabel*>(widget);
}

} // namespace

void ApplyFormColors(QWidget& form) {
    PaintButtonFace(form);
    for (QWidget* control : form.findChildren<QWidget*>())
        if (TakesButtonFace(control)) PaintButtonFace(*control);
}

} // namespace app
