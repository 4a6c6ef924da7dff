#pragma once

class QWidget;

namespace app {

// Gives the form and its option buttons, check boxes, frames and labels the system's button-face
// colour. Text boxes, lists, push buttons and grids keep theirs.
void ApplyFormColors(QWidget& form);

} // namespace app
