#include "platform/RecordingNotifyReceiver.h"

#include <algorithm>
#include <utility>

void RecordingNotifyReceiver::Send(uint32_t code, intptr_t value) {
    Record(code, value, true);
}

void RecordingNotifyReceiver::Post(uint32_t code, intptr_t value) {
    Record(code, value, false);
}

std::vector<RecordingNotifyReceiver::Notice> RecordingNotifyReceiver::Notices() const {
    std::lock_guard lock(mutex);
    return notices;
}

std::vector<std::string> RecordingNotifyReceiver::StatusTexts() const {
    std::lock_guard lock(mutex);
    std::vector<std::string> texts;
    for (const Notice& notice : notices)
        if (notice.code == NOTIFY_STATUS) texts.push_back(notice.text);
    return texts;
}

bool RecordingNotifyReceiver::WaitFor(uint32_t code, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex);
    return arrived.wait_for(lock, timeout, [&] {
        return std::any_of(notices.begin(), notices.end(), [&](const Notice& notice) { return notice.code == code; });
    });
}

void RecordingNotifyReceiver::Clear() {
    std::lock_guard lock(mutex);
    notices.clear();
}

void RecordingNotifyReceiver::Record(uint32_t code, intptr_t value, bool sent) {
    Notice notice{code, value, {}, sent};
    if ((code == NOTIFY_STATUS || code == NOTIFY_NOTE) && value != 0) notice.text = reinterpret_cast<const char*>(value);
    std::lock_guard lock(mutex);
    notices.push_back(std::move(notice));
    arrived.notify_all();
}
