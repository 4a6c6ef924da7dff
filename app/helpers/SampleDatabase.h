#pragma once

#include <QString>

namespace app {

// The sample database the sample button fills in: the one in the program's Samples folder when
// this user may change it, else the user's own copy of it (made on first use, in the user's data
// folder), since a split changes the file it runs on and an installed program's folder belongs to
// the system. Later calls give the same copy, with whatever the user's splits made of it. When no
// copy can be made, the program's file, which can still be looked at.
QString SampleDatabase();

} // namespace app
