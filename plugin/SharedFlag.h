#pragma once

#include <atomic>

// A flag the UI thread writes and the capture worker reads: atomic, yet copied
// with the state it belongs to (the copy takes the current value).
class SharedFlag {
public:
    SharedFlag(int value = 0) : value_(value) {}
    SharedFlag(const SharedFlag& other) : value_(other.value_.load()) {}
    SharedFlag& operator=(const SharedFlag& other) {
        value_.store(other.value_.load());
        return *this;
    }
    SharedFlag& operator=(int value) {
        value_.store(value);
        return *this;
    }
    operator int() const { return value_.load(); }

private:
    std::atomic<int> value_;
};
