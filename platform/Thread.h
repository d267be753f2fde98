#pragma once

#include <functional>
#include <memory>

namespace platform {

enum class ThreadPriority { Normal, TimeCritical };

// The calling thread's scheduling priority, for helper threads a thread waits
// for: below their waiting caller's priority, any busy process starves them.
int CurrentThreadPriority();
void SetCurrentThreadPriority(int priority);

// A joinable worker thread; the destructor waits for the body to finish.
class Thread {
public:
    Thread(std::function<void()> body, ThreadPriority priority);
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void Join();
    // Waits for the body while dispatching the calling thread's window messages,
    // so that a body that sends to this thread's windows can finish.
    void JoinServingMessages();
    bool Finished() const;

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
