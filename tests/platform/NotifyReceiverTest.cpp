// The notification receivers: where and when notices are handled, and that nobody is left
// waiting or deadlocked.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/QueuedNotifyReceiver.h"
#include "platform/RecordingNotifyReceiver.h"

namespace {

using namespace std::chrono_literals;

struct Handled {
    uint32_t code;
    intptr_t value;
};

TEST(RecordingNotifyReceiver, RecordsEveryNoticeWithACopyOfItsText) {
    RecordingNotifyReceiver receiver;
    char text[] = "音声の変換中...";
    receiver.Send(NOTIFY_PROGRESS, 250);
    receiver.Send(NOTIFY_STATUS, reinterpret_cast<intptr_t>(text));
    receiver.Post(NOTIFY_COMPLETED, 5);
    text[0] = 'X';  // the sender's text is gone after the call

    const auto notices = receiver.Notices();
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0].code, NOTIFY_PROGRESS);
    EXPECT_EQ(notices[0].value, 250);
    EXPECT_TRUE(notices[0].sent);
    EXPECT_EQ(notices[1].text, "音声の変換中...");
    EXPECT_EQ(notices[2].code, NOTIFY_COMPLETED);
    EXPECT_EQ(notices[2].value, 5);
    EXPECT_FALSE(notices[2].sent);
    EXPECT_EQ(receiver.StatusTexts(), std::vector<std::string>{"音声の変換中..."});
    receiver.Clear();
    EXPECT_TRUE(receiver.Notices().empty());
}

TEST(RecordingNotifyReceiver, TakesNoticesFromManyThreadsInEachThreadsOrder) {
    RecordingNotifyReceiver receiver;
    {
        std::vector<std::jthread> senders;
        for (uint32_t code = 0; code < 4; ++code)
            senders.emplace_back([&receiver, code] {
                for (intptr_t value = 0; value < 500; ++value) receiver.Send(code, value);
            });
    }
    std::vector<intptr_t> next(4, 0);
    const auto notices = receiver.Notices();
    ASSERT_EQ(notices.size(), 2000u);
    for (const auto& notice : notices) EXPECT_EQ(notice.value, next[notice.code]++);
}

TEST(RecordingNotifyReceiver, WaitsForACode) {
    RecordingNotifyReceiver receiver;
    std::jthread worker([&] {
        std::this_thread::sleep_for(20ms);
        receiver.Post(NOTIFY_COMPLETED, 0);
    });
    EXPECT_TRUE(receiver.WaitFor(NOTIFY_COMPLETED, 10s));
    EXPECT_FALSE(receiver.WaitFor(NOTIFY_PROGRESS, 10ms));
}

TEST(QueuedNotifyReceiver, SentNoticeRunsOnTheOwnerAndReleasesTheSenderAfterwards) {
    std::atomic<bool> handled{false};
    std::thread::id handlerThread;
    QueuedNotifyReceiver receiver([&](uint32_t, intptr_t) {
        handlerThread = std::this_thread::get_id();
        handled = true;
    });
    std::atomic<bool> sawHandledOnReturn{false};
    std::jthread sender([&] {
        receiver.Send(NOTIFY_PROGRESS, 1);
        sawHandledOnReturn = handled.load();
    });
    std::this_thread::sleep_for(20ms);  // a sender that did not wait would return meanwhile
    while (!handled) receiver.WaitAndPump(1s);
    sender.join();
    EXPECT_TRUE(sawHandledOnReturn);
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

TEST(QueuedNotifyReceiver, PostedNoticesWaitForThePumpInArrivalOrder) {
    std::vector<Handled> handled;
    QueuedNotifyReceiver receiver([&](uint32_t code, intptr_t value) { handled.push_back({code, value}); });
    std::jthread([&] {
        receiver.Post(NOTIFY_PROGRESS, 1);
        receiver.Post(NOTIFY_PROGRESS, 2);
        receiver.Post(NOTIFY_COMPLETED, 0);
    }).join();
    EXPECT_TRUE(handled.empty());
    EXPECT_EQ(receiver.Pump(), 3u);
    ASSERT_EQ(handled.size(), 3u);
    EXPECT_EQ(handled[0].value, 1);
    EXPECT_EQ(handled[1].value, 2);
    EXPECT_EQ(handled[2].code, NOTIFY_COMPLETED);
    EXPECT_EQ(receiver.WaitAndPump(10ms), 0u);
}

TEST(QueuedNotifyReceiver, OwnerThreadSendsWithoutDeadlock) {
    std::vector<Handled> handled;
    QueuedNotifyReceiver* self = nullptr;
    QueuedNotifyReceiver receiver([&](uint32_t code, intptr_t value) {
        handled.push_back({code, value});
        if (code == NOTIFY_STATUS) self->Send(NOTIFY_PROGRESS, 7);  // a handler that sends in turn
    });
    self = &receiver;
    receiver.Send(NOTIFY_STATUS, 0);
    ASSERT_EQ(handled.size(), 2u) << "handled at once, nothing left to pump";
    EXPECT_EQ(handled[1].value, 7);
    EXPECT_EQ(receiver.Pump(), 0u);
}

TEST(QueuedNotifyReceiver, ManySendersAreAllHandledAndReleased) {
    std::atomic<int> handled{0};
    QueuedNotifyReceiver receiver([&](uint32_t, intptr_t) { ++handled; });
    {
        std::vector<std::jthread> senders;
        for (int t = 0; t < 4; ++t)
            senders.emplace_back([&] {
                for (int i = 0; i < 100; ++i) receiver.Send(NOTIFY_PROGRESS, i);
            });
        while (handled < 400) receiver.WaitAndPump(1s);
    }
    EXPECT_EQ(handled, 400);
}

TEST(QueuedNotifyReceiver, ShutdownReleasesABlockedSenderAndDropsLaterNotices) {
    int handled = 0;
    QueuedNotifyReceiver receiver([&](uint32_t, intptr_t) { ++handled; });
    std::jthread sender([&] { receiver.Send(NOTIFY_PROGRESS, 1); });
    std::this_thread::sleep_for(20ms);
    receiver.Shutdown();
    sender.join();  // returns whether its notice was queued before the shutdown or not
    receiver.Post(NOTIFY_COMPLETED, 0);
    receiver.Send(NOTIFY_STATUS, 0);
    EXPECT_EQ(receiver.Pump(), 0u);
    EXPECT_EQ(handled, 0);
}

TEST(QueuedNotifyReceiver, ThrowingHandlerStillReleasesItsSender) {
    QueuedNotifyReceiver receiver([](uint32_t, intptr_t) { throw std::runtime_error("handler failed"); });
    std::jthread sender([&] { receiver.Send(NOTIFY_PROGRESS, 1); });
    bool thrown = false;
    while (!thrown) {
        try {
            receiver.WaitAndPump(1s);
        } catch (const std::runtime_error&) {
            thrown = true;
        }
    }
    sender.join();
}

}  // namespace
