#include "app/ProgramIcon.h"

// The resources live in this static library; naming them here keeps the linker from dropping them.
static void InitResources() {
    Q_INIT_RESOURCE(fendrel);
}

namespace app {

QIcon ProgramIcon() {
    static const bool initialised = (InitResources(), true);
    (void)initialised;
    return QIcon(QStringLiteral(":/fendrel/fendrel.png"));
}

} // namespace app
