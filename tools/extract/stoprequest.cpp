#include "stoprequest.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

namespace {

std::atomic<int> requestedSignal{0};
std::atomic<bool> diskFull{false};

static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void onEndSignal(int signal) {
    int none = 0;
    requestedSignal.compare_exchange_strong(none, signal);
}

} // namespace

void StopRequest::catchEndSignals() {
    struct sigaction action {};
    action.sa_handler = &onEndSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted reads and writes of files start again; the workers look
    // at the flag between blocks.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool StopRequest::isRequested() {
    return requestedSignal.load(std::memory_order_relaxed) != 0 ||
           diskFull.load(std::memory_order_relaxed);
}

int StopRequest::signal() {
    return requestedSignal.load();
}

bool StopRequest::isDiskFull() {
    return diskFull.load();
}

void StopRequest::requestForFullDisk() {
    diskFull.store(true);
}

void StopRequest::endBySignal() {
    const int signal = requestedSignal.load();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal); // the signal is blocked or ignored by default
}
