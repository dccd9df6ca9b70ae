#include "platform/ConvertNotify.h"

std::atomic<NotifyReceiver*> NotifyWindow{nullptr};

void SendConvertNotify(uint32_t code, intptr_t value) {
    if (NotifyReceiver* receiver = NotifyWindow.load()) receiver->Send(code, value);
}

void SendConvertStatus(const char* text) {
    SendConvertNotify(NOTIFY_STATUS, reinterpret_cast<intptr_t>(text));
}

void SendConvertNote(const std::string& text) {
    SendConvertNotify(NOTIFY_NOTE, reinterpret_cast<intptr_t>(text.c_str()));
}
