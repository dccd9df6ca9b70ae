#pragma once
// The notification channel between the conversion and the window that shows it.
// "Sent" notices block the sender until the receiver's thread has handled them;
// "posted" notices are queued and return at once.
#include <atomic>
#include <cstdint>
#include <string>

inline constexpr uint32_t WM_CONVERT_NOTIFY = 1025;
inline constexpr uint32_t NOTIFY_COMPLETED = 100;  // value: CompletionCode
inline constexpr uint32_t NOTIFY_PROGRESS = 101;   // value: thousandths, 0..1000 (more if the source undercounts)
inline constexpr uint32_t NOTIFY_STATUS = 102;     // value: address of a zero-terminated UTF-8 text, valid during the call
// A remark on the run's plan for the user, sent before decoding (value as NOTIFY_STATUS's):
// the command line shows it; the dialog, which knows only the codes above, ignores it.
inline constexpr uint32_t NOTIFY_NOTE = 103;

// A receiver of WM_CONVERT_NOTIFY. Implementations decide on which thread notices are handled.
class NotifyReceiver {
public:
    virtual ~NotifyReceiver() = default;
    // Delivers the notice on the receiver's thread and returns after it has been handled.
    virtual void Send(uint32_t code, intptr_t value) = 0;
    // Queues the notice for the receiver's thread and returns at once.
    virtual void Post(uint32_t code, intptr_t value) = 0;
};

// The process-wide receiver of progress and status; set before a run starts, never owned here.
extern std::atomic<NotifyReceiver*> NotifyWindow;

// Sends a notice to NotifyWindow; does nothing while no receiver is set.
void SendConvertNotify(uint32_t code, intptr_t value);
void SendConvertStatus(const char* text);
void SendConvertNote(const std::string& text);
