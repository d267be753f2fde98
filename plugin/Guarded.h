#pragma once

#include <exception>
#include <new>
#include <stdexcept>

#include "plugin/PluginState.h"
#include "support/LastError.h"

// Runs body; an exception becomes lastErrorText and the failure value, so that
// nothing escapes to the host or ends a worker thread.
template <typename R, typename F> R Guarded(R failure, F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        SetLastErrorText(Translate("Out of memory"));
    } catch (const std::length_error&) {
        SetLastErrorText(Translate("Out of memory"));
    } catch (const std::exception& error) {
        SetLastErrorText(error.what());
    } catch (...) {
        SetLastErrorText("Unexpected failure");
    }
    return failure;
}

template <typename F> void GuardedVoid(F&& body) noexcept {
    Guarded(0, [&] {
        body();
        return 0;
    });
}
