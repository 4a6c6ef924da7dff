#pragma once
// The per-user settings: texts under the application name "Marquell" and the section "Fendrel",
// kept in an INI file in the user's configuration folder. Texts are stored exactly as given. Each
// write reaches the file before it returns, and the file is readable by its owner only, since it
// holds a database password.

#include <QString>

namespace app {

// The stored text for the key, or the default when the key was never written.
QString GetSetting(const QString& key, const QString& defaultValue = {});

// Stores the text under the key, replacing any earlier value. Fails when the file cannot be
// written.
void SaveSetting(const QString& key, const QString& value);

// The settings file's path.
QString SettingsFile();

} // namespace app
