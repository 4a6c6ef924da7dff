#pragma once
// A page of the wizard: a fixed-size top-level window without a maximize button, centred when
// first shown. A page runs its load steps once, on first use, and is then only shown and hidden;
// a hidden page keeps its controls' contents. Closing a page's window ends the program.

#include "app/errors/ErrorTrap.h"
#include "app/pages/PointerRule.h"

#include <QCursor>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QWidget>

#include <initializer_list>
#include <optional>

namespace app {

// The page's mouse pointer.
enum MousePointerValue : int {
    vbDefault = 0,
    vbHourglass = 11,
    vbCustom = 99, // the image loaded as the page's mouse icon, else the platform's pointing hand
};

class Page : public QWidget {
    Q_OBJECT
public:
    // clientWidth and clientHeight in twips.
    Page(const QString& formName, int clientWidth, int clientHeight);

    // Runs the load steps, the first time only.
    void Load();
    bool Loaded() const { return loaded_; }

    void Show();
    void Hide();

    const QString& FormName() const { return formName_; }
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }

    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int value);
    bool HasMouseIcon() const { return mouseIcon_.has_value(); }
    void SetMouseIcon(const QCursor& icon);

protected:
    virtual void Form_Load() = 0;
    // Ends the program at once.
    virtual void Form_Unload();

    // The error trap of one of the page's handlers.
    ErrorTrap Trap(const QString& handler) const;
    // An untrapped handler still reports its failures in the error box, under its own name.
    void Guarded(const QString& handler, const std::function<void()>& body) const;

    // The load steps that every page shares: the page's colours, icon, hand pointer and caption.
    void LoadPageSetup(ErrorTrap& trap);
    // Loads "HAND-M.CUR" beside the program as the page's mouse icon when that file exists.
    void LoadHandPointer(ErrorTrap& trap, int testLine, int loadLine);

    // Keyboard order of the controls, the first one taking the focus when the page first shows.
    void SetTabOrder(std::initializer_list<QWidget*> controls);

    PointerRule* Pointer() const { return pointer_; }

    void closeEvent(QCloseEvent* event) override;

private:
    void CentreOnScreen();
    // Controls with a pointer of their own, such as text boxes, show the hourglass too while it lasts.
    void HourglassOverControls(bool on);

    QString formName_;
    bool loaded_ = false;
    bool shown_ = false;
    int mousePointer_ = vbDefault;
    std::optional<QCursor> mouseIcon_;
    QList<QPair<QPointer<QWidget>, QCursor>> ownPointers_; // kept while the hourglass shows
    QWidget* firstFocus_ = nullptr;
    PointerRule* pointer_;
};

// The path of the hand pointer's file beside the program.
QString HandPointerFile();

} // namespace app
