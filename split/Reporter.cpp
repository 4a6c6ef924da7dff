#include "split/Reporter.h"

#include "db/Error.h"

#include <exception>
#include <new>

namespace split {

void Reporter::fail(Failure failure) {
    ++failures_;
    observer_.onFailure(failure);
}

void Reporter::yield() {
    if (!observer_.onYield()) throw Stop{Outcome::Stopped};
}

void Reporter::describeCurrent(Failure& f) {
    try {
        throw;
    } catch (const db::Error& e) {
        f.number = e.number();
        f.description = e.description();
    } catch (const std::bad_alloc&) {
        f.number = db::ErrorNumber::Unspecified;
        f.description = "Not enough memory to complete the operation.";
    } catch (const std::exception& e) {
        f.number = db::ErrorNumber::Unspecified;
        f.description = e.what();
    }
}

} // namespace split
