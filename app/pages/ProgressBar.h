#pragma once
// A progress bar (0 to 100) that shows a text of its own, taken as it is.

#include <QProgressBar>

namespace app {

class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressBar(QWidget* parent = nullptr);

    QString Text() const { return text_; }
    void SetText(const QString& text);

    // Qt would read "%p", "%v" and "%m" in a format; the text is shown unchanged instead.
    QString text() const override { return text_; }

private:
    QString text_;
};

} // namespace app
