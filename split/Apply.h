#pragma once
// Carrying out a plan that refuses nothing: the columns emptied, dropped or added, every piece
// written with one UPDATE per piece of each distinct value (records that share a value get the
// same statements once), every statement made durable, and the table read again.

#include "db/Connection.h"
#include "split/Reporter.h"
#include "split/Result.h"

namespace split {

// Applies `plan` through `connection`, open for writing, filling `result`'s statement count and
// final read. A failing ALTER TABLE or UPDATE is told and the split goes on; throws Stop when it
// cannot.
void Apply(const Plan& plan, Reporter& reporter, Result& result, ADODB::Connection& connection);

} // namespace split
