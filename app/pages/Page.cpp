#include "app/pages/Page.h"

#include "app/ProductTitle.h"
#include "app/ProgramIcon.h"
#include "app/errors/Failure.h"
#include "app/helpers/ApplyFormColors.h"
#include "app/helpers/FileExists.h"
#include "app/pages/Controls.h"
#include "app/pages/CursorFile.h"
#include "app/pages/Twips.h"
#include "app/ui/Runtime.h"

#include <QCloseEvent>
#include <QScreen>

namespace app {

QString HandPointerFile() {
    return BesideProgram(QStringLiteral("HAND-M.CUR"));
}

Page::Page(const QString& formName, int clientWidth, int clientHeight)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      formName_(formName), pointer_(new PointerRule(*this)) {
    setObjectName(formName);
    setFixedSize(TwipsSize(clientWidth, clientHeight));
    setFont(Arial(9, false));
}

void Page::Load() {
    if (loaded_) return;
    loaded_ = true;
    // A mouse move belongs to the control under the mouse alone, as the pointer rule expects: it
    // does not also reach the frame or the page around it.
    for (QWidget* control : findChildren<QWidget*>())
        control->setAttribute(Qt::WA_NoMousePropagation);
    Form_Load();
}

void Page::Show() {
    Load();
    if (!shown_) {
        shown_ = true;
        CentreOnScreen();
        if (firstFocus_) firstFocus_->setFocus();
    }
    show();
    raise();
    activateWindow();
    // The focused control shows as such from the start, not only after the first Tab: the page may
    // have been reached by the keyboard. A click hides it again until a key moves the focus.
    setAttribute(Qt::WA_KeyboardFocusChange);
}

void Page::Hide() {
    hide();
}

void Page::SetMousePointer(int value) {
    switch (value) {
    case vbDefault:
        unsetCursor();
        break;
    case vbHourglass:
        setCursor(Qt::WaitCursor);
        break;
    case vbCustom:
        setCursor(mouseIcon_ ? *mouseIcon_ : QCursor(Qt::PointingHandCursor));
        break;
    default:
        throw Failure(QStringLiteral("Invalid property value"));
    }
    if ((value == vbHourglass) != (mousePointer_ == vbHourglass)) HourglassOverControls(value == vbHourglass);
    mousePointer_ = value;
}

void Page::HourglassOverControls(bool on) {
    if (!on) {
        for (const auto& [control, pointer] : ownPointers_)
            if (control) control->setCursor(pointer);
        ownPointers_.clear();
        return;
    }
    for (QWidget* control : findChildren<QWidget*>()) {
        if (!control->testAttribute(Qt::WA_SetCursor)) continue;
        ownPointers_.append({control, control->cursor()});
        control->setCursor(Qt::WaitCursor);
    }
}

void Page::SetMouseIcon(const QCursor& icon) {
    mouseIcon_ = icon;
    if (mousePointer_ == vbCustom) setCursor(icon);
}

void Page::Form_Unload() {
    End();
}

ErrorTrap Page::Trap(const QString& handler) const {
    return ErrorTrap(LocationText(formName_, handler));
}

void Page::Guarded(const QString& handler, const std::function<void()>& body) const {
    Trap(handler).Line(100, body);
}

void Page::LoadPageSetup(ErrorTrap& trap) {
    trap.Line(100, [&] { ApplyFormColors(*this); });
    trap.Line(102, [&] { setWindowIcon(ProgramIcon()); });
    LoadHandPointer(trap, 106, 108);
    trap.Line(110, [&] { SetCaption(ProductTitle); });
}

void Page::LoadHandPointer(ErrorTrap& trap, int testLine, int loadLine) {
    if (trap.If(testLine, [] { return FileExists(HandPointerFile()); }))
        trap.Line(loadLine, [&] { SetMouseIcon(LoadCursorFile(HandPointerFile())); });
}

void Page::SetTabOrder(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            setTabOrder(previous, control);
        else
            firstFocus_ = control;
        previous = control;
    }
}

void Page::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void Page::CentreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, height() / 2));
    }
}

} // namespace app
