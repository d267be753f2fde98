#include "platform/Thread.h"

#include <thread>

namespace platform {

// Natively the priority is advisory only: tests run in virtual time.
class Thread::Impl {
public:
    explicit Impl(std::function<void()> body) : thread(std::move(body)) {}
    std::thread thread;
};

Thread::Thread(std::function<void()> body, ThreadPriority)
    : impl_(std::make_unique<Impl>(std::move(body))) {}

Thread::~Thread() {
    Join();
}

void Thread::Join() {
    if (impl_ && impl_->thread.joinable())
        impl_->thread.join();
}

} // namespace platform
