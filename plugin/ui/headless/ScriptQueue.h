#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace ui {

// The user's answers to a headless dialog, in order; tests fill it from any thread.
template <typename Action> class ScriptQueue {
public:
    void Push(Action action) {
        std::lock_guard<std::mutex> lock(mutex_);
        actions_.push_back(std::move(action));
    }
    std::optional<Action> Front() const {
        std::lock_guard<std::mutex> lock(mutex_);
        if (actions_.empty())
            return std::nullopt;
        return actions_.front();
    }
    std::optional<Action> Pop() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (actions_.empty())
            return std::nullopt;
        Action action = std::move(actions_.front());
        actions_.pop_front();
        return action;
    }

private:
    mutable std::mutex mutex_;
    std::deque<Action> actions_;
};

// What a headless dialog showed, written on the UI thread and read by tests.
template <typename Record> class SharedRecord {
public:
    template <typename Change> void Update(Change&& change) {
        std::lock_guard<std::mutex> lock(mutex_);
        change(record_);
    }
    Record Snapshot() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return record_;
    }

private:
    mutable std::mutex mutex_;
    Record record_;
};

// The script a headless view answers from and the record it writes.
template <typename Action, typename Shown> class ScriptedView {
public:
    using Script = ScriptQueue<Action>;
    using Record = SharedRecord<Shown>;

    const std::shared_ptr<Script>& GetScript() const { return script_; }
    const std::shared_ptr<Record>& GetRecord() const { return record_; }

protected:
    ScriptedView(std::shared_ptr<Script> script, std::shared_ptr<Record> record)
        : script_(std::move(script)), record_(std::move(record)) {}

    std::shared_ptr<Script> script_;
    std::shared_ptr<Record> record_;
};

} // namespace ui
