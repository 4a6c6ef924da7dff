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

void Reporter::endChanges(Failure failure) {
    changesEnded_ = true;
    std::string& d = failure.description;
    if (!d.empty() && d.back() != '.') d += '.';
    d += " The split stopped there";
    if (howFar_) d += ", " + howFar_();
    d += "; the file holds every value it had and the pieces written up to the last checkpoint before. "
         "Run the same split again";
    if (failure.number == db::ErrorNumber::DiskFull) d += ", with room on the disk,";
    d += " to complete it.";
    fail(std::move(failure));
    throw Stop{Outcome::Stopped};
}

bool Reporter::describeCurrent(Failure& f) {
    try {
        throw;
    } catch (const db::Error& e) {
        f.number = e.number();
        f.description = e.description();
        return e.endsChanges();
    } catch (const std::bad_alloc&) {
        f.number = db::ErrorNumber::Unspecified;
        f.description = "Not enough memory to complete the operation.";
    } catch (const std::exception& e) {
        f.number = db::ErrorNumber::Unspecified;
        f.description = e.what();
    }
    return false;
}

} // namespace split
