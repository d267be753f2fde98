#include "platform/Thread.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/WindowSystem.h"

namespace platform {

// Natively the priority is advisory only: tests run in virtual time.
class Thread::Impl {
public:
    explicit Impl(std::function<void()> body)
        : thread([this, body = std::move(body)] {
              try {
                  body();
              } catch (...) {
                  // A worker never takes the host down.
              }
              finished = true;
          }) {}
    std::atomic<bool> finished{false};
    std::thread thread;
};

// Natively every thread runs at the process's priority.
int CurrentThreadPriority() {
    return 0;
}
void SetCurrentThreadPriority(int) {}

Thread::Thread(std::function<void()> body, ThreadPriority)
    : impl_(std::make_unique<Impl>(std::move(body))) {}

Thread::~Thread() {
    Join();
}

void Thread::Join() {
    if (impl_ && impl_->thread.joinable())
        impl_->thread.join();
}

void Thread::JoinServingMessages() {
    std::shared_ptr<WindowSystem> windows = CurrentWindowSystem();
    while (!Finished()) {
        // Nothing wakes this thread when a message is queued: look again shortly.
        if (windows->DispatchPending() == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    Join();
}

bool Thread::Finished() const {
    return impl_->finished.load();
}

} // namespace platform
