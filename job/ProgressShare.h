#pragma once
// One pass of a run of several, shown on the run's one progress bar: while it lives it stands
// in for NotifyWindow, forwards every notice to the receiver it replaced, and maps the pass's
// progress (0..1000) into its share of the bar.
#include <cstdint>

#include "platform/ConvertNotify.h"

class ProgressShare final : public NotifyReceiver {
public:
    // The pass's 0..1000 become `from`..`to`.
    ProgressShare(int32_t from, int32_t to);
    // Puts the replaced receiver back.
    ~ProgressShare() override;
    ProgressShare(const ProgressShare&) = delete;
    ProgressShare& operator=(const ProgressShare&) = delete;

    void Send(uint32_t code, intptr_t value) override;
    void Post(uint32_t code, intptr_t value) override;

private:
    intptr_t Mapped(uint32_t code, intptr_t value) const;

    NotifyReceiver* const replaced;
    const int32_t from;
    const int32_t to;
};
