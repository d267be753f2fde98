#pragma once

#include <functional>
#include <memory>

namespace platform {

enum class ThreadPriority { Normal, TimeCritical };

// A joinable worker thread; the destructor waits for the body to finish.
class Thread {
public:
    Thread(std::function<void()> body, ThreadPriority priority);
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void Join();

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
