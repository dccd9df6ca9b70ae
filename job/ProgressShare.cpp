#include "job/ProgressShare.h"

#include <algorithm>

ProgressShare::ProgressShare(int32_t from, int32_t to) : replaced(NotifyWindow.load()), from(from), to(to) {
    NotifyWindow = this;
}

ProgressShare::~ProgressShare() { NotifyWindow = replaced; }

intptr_t ProgressShare::Mapped(uint32_t code, intptr_t value) const {
    if (code != NOTIFY_PROGRESS) return value;
    return from + std::clamp<intptr_t>(value, 0, 1000) * (to - from) / 1000;
}

void ProgressShare::Send(uint32_t code, intptr_t value) {
    if (replaced) replaced->Send(code, Mapped(code, value));
}

void ProgressShare::Post(uint32_t code, intptr_t value) {
    if (replaced) replaced->Post(code, Mapped(code, value));
}
