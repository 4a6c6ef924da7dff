#pragma once
// Where users send a screenshot of a message: the address that ends the error box and the engine
// message.

#include <QString>

namespace app {

inline const QString SupportAddress = QStringLiteral("support@marquell.example");

} // namespace app
