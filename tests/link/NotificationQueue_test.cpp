// SPDX-License-Identifier: GPL-3.0-or-later
// The posting seam and the pump: order, cross-thread posting, bounded blocking waits,
// timers and the fake clock's cooperation with them.
#include <gtest/gtest.h>

#include <thread>

#include "link/LinkTestSupport.h"
#include "platform/FakeClock.h"
#include "platform/NotificationQueue.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using test::CpuSeconds;
using test::RecordingTarget;

TEST(NotificationQueue, DeliversInPostingOrderAcrossTargetsAndCalls) {
    FakeClock clock;
    NotificationQueue queue(clock);
    RecordingTarget first, second;
    std::vector<int> order;
    queue.Post(&first, Notification::RxChar('a', 1));
    queue.Post(nullptr, Notification::Invoke([&] { order.push_back(int(first.received.size())); }));
    queue.Post(&second, Notification::Status(50, std::string("half")));
    const std::uint8_t received[] = {'b', 0, 'c'};  // a read of several bytes: one each
    queue.PostReceived(&first, received, 1);
    queue.Post(nullptr, Notification::Invoke([&] { order.push_back(int(first.received.size())); }));

    EXPECT_EQ(queue.DrainPending(), 7u);
    ASSERT_EQ(first.received.size(), 4u);
    std::string bytes;
    for (const Notification& got : first.received) {
        EXPECT_EQ(got.kind, NotificationKind::WM_SERIAL_RXCHAR);
        EXPECT_EQ(got.port, 1u);
        bytes.push_back(static_cast<char>(got.value));
    }
    EXPECT_EQ(bytes, std::string("ab\0c", 4));
    EXPECT_EQ(order, (std::vector<int>{1, 4}));  // the calls ran between 'a' and 'b', and last
    ASSERT_EQ(second.received.size(), 1u);
    EXPECT_EQ(second.received[0].text, "half");
}

TEST(NotificationQueue, PumpDeliversOneAtATime) {
    FakeClock clock;
    NotificationQueue queue(clock);
    RecordingTarget target;
    queue.Post(&target, Notification::Errors(1));
    queue.Post(&target, Notification::Errors(2));
    EXPECT_TRUE(queue.PumpMessage(0ms));
    EXPECT_EQ(target.received.size(), 1u);
    EXPECT_EQ(queue.PendingCount(), 1u);
}

TEST(NotificationQueue, PostsFromAnotherThreadArriveCompleteAndInOrder) {
    SystemClock clock;
    NotificationQueue queue(clock);
    RecordingTarget target;
    constexpr int kCount = 20000;
    std::thread poster([&] {
        for (int i = 0; i < kCount; ++i) {
            queue.Post(&target, Notification::RxChar(static_cast<std::uint8_t>(i & 0xFF), 7));
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (target.received.size() < kCount && std::chrono::steady_clock::now() < deadline) {
        queue.PumpMessage(100ms);
    }
    poster.join();
    ASSERT_EQ(target.received.size(), static_cast<std::size_t>(kCount));
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(target.received[i].value, static_cast<std::uint32_t>(i & 0xFF)) << i;
    }
}

TEST(NotificationQueue, EmptyPumpBlocksForItsBoundWithoutSpinning) {
    SystemClock clock;
    NotificationQueue queue(clock);
    const double cpuBefore = CpuSeconds();
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(queue.PumpMessage(300ms));
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, 290ms);
    EXPECT_LT(waited, 2s);
    EXPECT_LT(CpuSeconds() - cpuBefore, 0.05);
}

TEST(NotificationQueue, BlockedPumpWakesAsSoonAsSomethingIsPosted) {
    SystemClock clock;
    NotificationQueue queue(clock);
    RecordingTarget target;
    std::thread poster([&] {
        std::this_thread::sleep_for(50ms);
        queue.Post(&target, Notification::Rate(42));
    });
    const auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(queue.PumpMessage(5s));
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    poster.join();
    ASSERT_EQ(target.received.size(), 1u);
    EXPECT_EQ(target.received[0].kind, NotificationKind::WM_LINK_RATE);
}

TEST(NotificationQueue, FakeClockWaitAdvancesTimeInsteadOfSleeping) {
    FakeClock clock;
    NotificationQueue queue(clock);
    const std::int64_t start = clock.WallMilliseconds();
    EXPECT_FALSE(queue.PumpMessage(60s));
    EXPECT_EQ(clock.WallMilliseconds() - start, 60000);
}

TEST(NotificationQueue, FakeClockWaitStopsAtScheduledPost) {
    FakeClock clock;
    NotificationQueue queue(clock);
    RecordingTarget target;
    clock.Schedule(5s, [&] { queue.Post(&target, Notification::Errors(9)); });
    const std::int64_t start = clock.TickMilliseconds();
    EXPECT_TRUE(queue.PumpMessage(60s));
    EXPECT_EQ(clock.TickMilliseconds() - start, 5000);
    ASSERT_EQ(target.received.size(), 1u);
}

TEST(NotificationQueue, TimersTickEveryPeriodUntilKilled) {
    FakeClock clock;
    NotificationQueue queue(clock);
    RecordingTarget target;
    queue.SetTimer(&target, 100, 2000ms);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(queue.PumpMessage(10s));
    EXPECT_EQ(clock.TickMilliseconds(), 6000);
    ASSERT_EQ(target.received.size(), 3u);
    EXPECT_EQ(target.received[0].kind, NotificationKind::WM_TIMER);
    EXPECT_EQ(target.received[0].value, 100u);
    queue.KillTimer(&target, 100);
    EXPECT_FALSE(queue.PumpMessage(10s));
    EXPECT_EQ(target.received.size(), 3u);
}

TEST(NotificationQueue, DiscardDropsPendingNotificationsAndTimersOfATarget) {
    FakeClock clock;
    NotificationQueue queue(clock);
    RecordingTarget gone, kept;
    queue.Post(&gone, Notification::Errors(1));
    queue.Post(&kept, Notification::Errors(2));
    queue.SetTimer(&gone, 1, 10ms);
    queue.Discard(&gone);
    EXPECT_EQ(queue.DrainPending(), 1u);
    EXPECT_FALSE(queue.PumpMessage(1s));
    EXPECT_TRUE(gone.received.empty());
    EXPECT_EQ(kept.received.size(), 1u);
}

}  // namespace
}  // namespace vantrel
