#pragma once
// The receiver that tests set as NotifyWindow: records every notice it gets, on any thread,
// with a copy of each status text (the sender's text is valid only during the call).
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ConvertNotify.h"

class RecordingNotifyReceiver : public NotifyReceiver {
public:
    struct Notice {
        uint32_t code = 0;
        intptr_t value = 0;  // for NOTIFY_STATUS and NOTIFY_NOTE the sender's address, not to be read afterwards
        std::string text;    // NOTIFY_STATUS, NOTIFY_NOTE: the text as it was during the call; otherwise empty
        bool sent = false;   // true for Send, false for Post
    };

    void Send(uint32_t code, intptr_t value) override;
    void Post(uint32_t code, intptr_t value) override;

    // A copy of every notice so far, in arrival order.
    std::vector<Notice> Notices() const;
    // The texts of the NOTIFY_STATUS notices so far, in arrival order.
    std::vector<std::string> StatusTexts() const;
    // Waits up to `timeout` until a notice with this code has arrived; false on time-out.
    bool WaitFor(uint32_t code, std::chrono::milliseconds timeout) const;
    void Clear();

private:
    void Record(uint32_t code, intptr_t value, bool sent);

    mutable std::mutex mutex;
    mutable std::condition_variable arrived;
    std::vector<Notice> notices;
};
