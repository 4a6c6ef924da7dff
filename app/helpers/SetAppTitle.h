#pragma once
// The application title: the title of every message box that names none.

#include "app/ProductTitle.h"

#include <QString>

namespace app {

// Sets the application title from a product title: the text before its last space, shortened
// word by word from the end until it is 40 characters or fewer. A title without a space stays
// whole.
void SetAppTitle(const QString& productTitle = ProductTitle);

// The current application title; the product title until SetAppTitle runs.
QString AppTitle();

} // namespace app
