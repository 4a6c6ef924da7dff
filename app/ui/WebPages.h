#pragma once
// Opening a web page in the user's browser.

#include "app/ui/Replaceable.h"

#include <QUrl>

namespace app {

class WebPages : public Replaceable<WebPages> {
public:
    virtual ~WebPages() = default;
    // Hands the page to the system and returns without waiting for it.
    virtual void Open(const QUrl& address) = 0;

    static WebPages& Standard();
};

inline void OpenWebPage(const QUrl& address) {
    WebPages::Current().Open(address);
}

} // namespace app
