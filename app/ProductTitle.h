#pragma once
// The product title: caption of every page, section of the settings and source of the
// application title.

#include <QString>

namespace app {

inline const QString ProductTitle = QStringLiteral("Fendrel");

} // namespace app
