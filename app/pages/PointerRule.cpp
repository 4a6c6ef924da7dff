#include "app/pages/PointerRule.h"

#include "app/pages/Page.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QWidget>

namespace app {

namespace {

const char* const PointerKind = "fendrelPointerKind";
const char* const Hand = "hand";
const char* const Arrow = "arrow";

} // namespace

PointerRule::PointerRule(Page& page) : QObject(&page), page_(page) {}

void PointerRule::HandOver(std::initializer_list<QWidget*> controls) {
    for (QWidget* control : controls)
        Watch(control, Hand);
}

void PointerRule::ArrowOver(std::initializer_list<QWidget*> controls) {
    for (QWidget* control : controls)
        Watch(control, Arrow);
}

void PointerRule::MovedOverHand() {
    if (page_.MousePointer() != vbHourglass) page_.SetMousePointer(vbCustom);
}

void PointerRule::MovedOverArrow() {
    if (page_.MousePointer() != vbHourglass) page_.SetMousePointer(vbDefault);
}

void PointerRule::Watch(QWidget* control, const char* kind) {
    // Lists and grids get their mouse moves on their viewport.
    QWidget* surface = control;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) surface = area->viewport();
    surface->setProperty(PointerKind, QString::fromLatin1(kind));
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
}

bool PointerRule::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const QString kind = watched->property(PointerKind).toString();
        if (kind == QLatin1String(Hand))
            MovedOverHand();
        else if (kind == QLatin1String(Arrow))
            MovedOverArrow();
    }
    return false;
}

} // namespace app
