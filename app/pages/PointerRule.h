#pragma once
// The pointer rule of every page: moving over a push button shows the hand (99), moving over the
// page, a frame, a text box, a list or a grid shows the default arrow (0). While the page shows
// the hourglass (11) the rule changes nothing, so a long action keeps it.

#include <QObject>

#include <initializer_list>

class QWidget;

namespace app {

class Page;

class PointerRule : public QObject {
    Q_OBJECT
public:
    explicit PointerRule(Page& page);

    void HandOver(std::initializer_list<QWidget*> controls);
    void ArrowOver(std::initializer_list<QWidget*> controls);

    // What a mouse move over a hand or an arrow control does to the page's pointer.
    void MovedOverHand();
    void MovedOverArrow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QWidget* control, const char* kind);

    Page& page_;
};

} // namespace app
