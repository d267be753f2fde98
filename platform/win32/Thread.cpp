#include "platform/Thread.h"

#include <stdexcept>
#include <windows.h>

#include "platform/WindowSystem.h"

namespace platform {

class Thread::Impl {
public:
    explicit Impl(std::function<void()> body) : body(std::move(body)) {}
    ~Impl() {
        if (handle != nullptr)
            ::CloseHandle(handle);
    }
    static DWORD WINAPI Run(void* self) {
        try {
            static_cast<Impl*>(self)->body();
        } catch (...) {
            // A worker never takes the host down.
        }
        return 0;
    }
    std::function<void()> body;
    HANDLE handle = nullptr;
    bool joined = false;
};

int CurrentThreadPriority() {
    return ::GetThreadPriority(::GetCurrentThread());
}
void SetCurrentThreadPriority(int priority) {
    if (priority != THREAD_PRIORITY_ERROR_RETURN)
        ::SetThreadPriority(::GetCurrentThread(), priority);
}

Thread::Thread(std::function<void()> body, ThreadPriority priority)
    : impl_(std::make_unique<Impl>(std::move(body))) {
    impl_->handle = ::CreateThread(nullptr, 0, &Impl::Run, impl_.get(), CREATE_SUSPENDED, nullptr);
    if (impl_->handle == nullptr)
        throw std::runtime_error("Unable to create the capture thread");
    if (priority == ThreadPriority::TimeCritical)
        ::SetThreadPriority(impl_->handle, THREAD_PRIORITY_TIME_CRITICAL);
    ::ResumeThread(impl_->handle);
}

Thread::~Thread() {
    Join();
}

void Thread::Join() {
    if (impl_ && impl_->handle != nullptr && !impl_->joined) {
        ::WaitForSingleObject(impl_->handle, INFINITE);
        impl_->joined = true;
    }
}

void Thread::JoinServingMessages() {
    while (!impl_->joined) {
        DWORD woken = ::MsgWaitForMultipleObjects(1, &impl_->handle, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) {
            impl_->joined = true;
            break;
        }
        CurrentWindowSystem()->DispatchPending();
    }
}

bool Thread::Finished() const {
    return impl_->joined || ::WaitForSingleObject(impl_->handle, 0) == WAIT_OBJECT_0;
}

} // namespace platform
