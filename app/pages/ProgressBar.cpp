#include "app/pages/ProgressBar.h"

namespace app {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
}

void ProgressBar::SetText(const QString& text) {
    text_ = text;
    update();
}

} // namespace app
