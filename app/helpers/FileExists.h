#pragma once

#include <QString>

namespace app {

// True when the path names an existing file whose modification time can be read
// (Access::FileExists, the test the data layer's ListTables makes). Never fails: an empty path, a
// malformed name, a folder or a denied access all give false.
bool FileExists(const QString& path);

} // namespace app
