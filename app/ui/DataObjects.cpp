#include "app/ui/DataObjects.h"

namespace app {

namespace {

class EngineDataObjects final : public DataObjects {
public:
    std::unique_ptr<ADODB::Connection> CreateConnection(const std::string& progId) override {
        return db::CreateConnection(progId);
    }
};

} // namespace

DataObjects& DataObjects::Standard() {
    static EngineDataObjects standard;
    return standard;
}

} // namespace app
