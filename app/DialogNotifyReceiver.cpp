#include "app/DialogNotifyReceiver.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

DialogNotifyReceiver::DialogNotifyReceiver(QObject& window, Handler handler) : window(window), handler(std::move(handler)) {}

void DialogNotifyReceiver::Send(uint32_t code, intptr_t value) {
    // A blocking queued call from the window's own thread would wait for itself.
    if (QThread::currentThread() == window.thread()) {
        handler(code, value);
        return;
    }
    QMetaObject::invokeMethod(&window, [this, code, value] { handler(code, value); }, Qt::BlockingQueuedConnection);
}

void DialogNotifyReceiver::Post(uint32_t code, intptr_t value) {
    QMetaObject::invokeMethod(&window, [this, code, value] { handler(code, value); }, Qt::QueuedConnection);
}
