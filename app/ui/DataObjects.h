#pragma once
// Creating the data access objects by their programmatic names. The standard instance is the
// data layer's own; a test puts a double in its place to play a data layer that cannot be used.

#include "app/ui/Replaceable.h"
#include "db/CreateObject.h"

#include <memory>
#include <string>

namespace app {

class DataObjects : public Replaceable<DataObjects> {
public:
    virtual ~DataObjects() = default;
    // Throws db::Error when the object cannot be created.
    virtual std::unique_ptr<ADODB::Connection> CreateConnection(const std::string& progId) = 0;

    static DataObjects& Standard();
};

inline std::unique_ptr<ADODB::Connection> CreateConnection(const std::string& progId = "ADODB.Connection") {
    return DataObjects::Current().CreateConnection(progId);
}

} // namespace app
