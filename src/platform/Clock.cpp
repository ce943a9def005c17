// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Clock.h"

#include <thread>

namespace vantrel {

std::int64_t IClock::WallSeconds() const {
    const std::int64_t ms = WallMilliseconds();
    // Floor division, so times before the epoch still fall into their own second.
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

std::int64_t SystemClock::WallMilliseconds() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::TickMilliseconds() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::WaitFor(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                          std::chrono::milliseconds bound) {
    wake.wait_for(lock, bound);
}

void SystemClock::Sleep(std::chrono::milliseconds span) {
    std::this_thread::sleep_for(span);
}

}  // namespace vantrel
