#pragma once

#include <memory>
#include <mutex>

namespace platform {

// Where a port's backend is installed: the system's by default, or one that a
// test or a simulated build puts in. Swapping is safe while other threads read
// it; a reader keeps the backend it got for as long as it holds the pointer.
template <typename Port> class PortSlot {
public:
    // The system backend is never destroyed: it may still be used while the module unloads.
    explicit PortSlot(Port& system) : system_(&system, [](Port*) {}) {}
    PortSlot(const PortSlot&) = delete;
    PortSlot& operator=(const PortSlot&) = delete;

    std::shared_ptr<Port> Get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return installed_ ? installed_ : system_;
    }
    // Null restores the system backend.
    void Set(std::shared_ptr<Port> port) {
        std::lock_guard<std::mutex> lock(mutex_);
        installed_.swap(port);
        // The old backend goes when its last reader lets go, outside the lock.
    }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<Port> system_;
    std::shared_ptr<Port> installed_;
};

// The one slot of a port for the process, never destroyed.
template <typename Port, Port& (*System)()> PortSlot<Port>& SlotOf() {
    static auto* slot = new PortSlot<Port>(System());
    return *slot;
}

} // namespace platform
