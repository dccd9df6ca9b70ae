#pragma once
// The dialog's end of the notification channel: notices from any thread are handled on the
// thread of the dialog's window. A sent notice blocks its sender until the handler has run
// (so a status text may live on the sender's stack); a posted one is queued.
#include <functional>

#include "platform/ConvertNotify.h"

class QObject;

class DialogNotifyReceiver final : public NotifyReceiver {
public:
    using Handler = std::function<void(uint32_t code, intptr_t value)>;

    // `window` (not owned) gives the handling thread and must outlive every notice.
    DialogNotifyReceiver(QObject& window, Handler handler);

    void Send(uint32_t code, intptr_t value) override;
    // Only for notices whose value is not an address (NOTIFY_COMPLETED, NOTIFY_PROGRESS).
    void Post(uint32_t code, intptr_t value) override;

private:
    QObject& window;
    Handler handler;
};
