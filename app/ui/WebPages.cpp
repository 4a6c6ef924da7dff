#include "app/ui/WebPages.h"

#include <QDesktopServices>

namespace app {

namespace {

class DesktopWebPages final : public WebPages {
public:
    void Open(const QUrl& address) override { QDesktopServices::openUrl(address); }
};

} // namespace

WebPages& WebPages::Standard() {
    static DesktopWebPages standard;
    return standard;
}

} // namespace app
