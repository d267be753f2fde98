#include "tools/host/StatusProgress.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

const char* const kStatusNames[] = {"done",      "",      "",           "",       "",
                                    "preparing", "ready", "processing", "pausing"};

std::mutex lock; // notifications arrive on the plug-in's worker thread
bool lineOpen = false;

// The first "NN%" of the text, or -1.
int Percent(const std::string& text) {
    const std::size_t sign = text.find('%');
    if (sign == std::string::npos)
        return -1;
    std::size_t start = sign;
    while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9')
        --start;
    return start == sign ? -1 : std::atoi(text.c_str() + start);
}

std::string Bar(int percent) {
    const int filled = percent < 0 ? 0 : (percent > 100 ? 100 : percent) / 5;
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(20 - filled), ' ') + "]";
}

} // namespace

void TOVI_HOST_CALL StatusProgress::OnStatus(int, int code, const char* text) {
    std::string line = text != nullptr ? text : "";
    for (char& c : line)
        c = c == '\n' || c == '\r' ? ' ' : c;
    const char* name = code >= 0 && code <= 8 ? kStatusNames[code] : "?";
    std::lock_guard<std::mutex> guard(lock);
    if (isatty(fileno(stdout))) {
        std::printf("\r%s %-10s %-60.60s", Bar(Percent(line)).c_str(), name, line.c_str());
        lineOpen = true;
    } else {
        std::printf("  [%d %s] %s\n", code, name, line.c_str());
    }
    std::fflush(stdout);
}

void StatusProgress::Finish() {
    std::lock_guard<std::mutex> guard(lock);
    if (lineOpen)
        std::printf("\n");
    lineOpen = false;
}
