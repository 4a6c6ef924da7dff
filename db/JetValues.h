#pragma once
// From the engine's terms to the data layer's: values, ADO type codes, and errors.

#include "db/Error.h"
#include "db/Variant.h"
#include "jet/Jet.h"

#include <string>

namespace db {

Variant toVariant(const jet::Value& value);
// The same into `to`; a text in the room of the text `to` holds, if it holds one.
void assignVariant(Variant& to, const jet::Value& value);

// The engine's value for a column of this kind.
jet::Value toJetValue(const Variant& value, const jet::Column& column);

// The ADO data type code a column of this kind reports as Field.Type.
int adoTypeOf(const jet::Column& column);

// The engine's error in the provider's terms; call inside a catch block.
[[noreturn]] void rethrowAsDbError();

// Runs f, turning engine errors into db::Error.
template <class F> auto translatingErrors(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const Error&) {
        throw;
    } catch (...) {
        rethrowAsDbError();
    }
}

} // namespace db
