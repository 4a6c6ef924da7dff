#include "app/helpers/ApplyFormColors.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

namespace app {

namespace {

void SetButtonFace(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setBrush(QPalette::Window, QApplication::palette().brush(QPalette::Button));
    widget.setPalette(palette);
}

bool TakesButtonFace(const QWidget* widget) {
    return qobject_cast<const QRadioButton*>(widget) || qobject_cast<const QCheckBox*>(widget) ||
           qobject_cast<const QGroupBox*>(widget) || qobject_cast<const QLabel*>(widget);
}

} // namespace

void ApplyFormColors(QWidget& form) {
    SetButtonFace(form);
    form.setAutoFillBackground(true);
    // The controls draw no background of their own, so they show the same face as the page under
    // them, whatever the style draws inside a frame.
    for (QWidget* control : form.findChildren<QWidget*>())
        if (TakesButtonFace(control)) SetButtonFace(*control);
}

} // namespace app
