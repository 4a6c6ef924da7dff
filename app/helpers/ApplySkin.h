#pragma once
// The optional skin: a Qt style sheet in the file "x/o.cjs" beside the program.

#include <QString>

class QWidget;

namespace app {

// The skin file's path.
QString SkinFile();

// When the skin file exists, gives page 1 the button-face colours and applies the skin to the
// program's windows; otherwise changes nothing. Fails when the file cannot be read.
void ApplySkin(QWidget& form1);

} // namespace app
