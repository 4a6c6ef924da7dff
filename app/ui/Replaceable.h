#pragma once
// The one instance of a platform service that the program uses. The standard instance talks to Qt;
// tests put a double in its place so that nothing modal opens and the test process never ends.

namespace app {

template <class Service> class Replaceable {
public:
    // The double in use, or the standard instance when none is.
    static Service& Current() { return Slot() ? *Slot() : Service::Standard(); }
    // Puts a double in place; nullptr brings back the standard instance.
    static void Replace(Service* service) { Slot() = service; }

private:
    static Service*& Slot() {
        static Service* service = nullptr;
        return service;
    }
};

} // namespace app
