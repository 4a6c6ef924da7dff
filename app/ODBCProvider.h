#pragma once
// The start-up check that the data layer can be used: a connection object can be created. When
// it cannot because no provider is found, the user is told why the tool cannot work and is offered
// the database engine's download pages. Never fails; false ends the program.

#include <QString>
#include <QUrl>

namespace app {

bool CheckDatabaseEngine();

// The message of a missing provider: seven paragraphs, an empty line between each two.
QString EngineMessage();
// The engine's two download pages, in the order they are opened.
QUrl EngineDownloadPage(int which);

} // namespace app
