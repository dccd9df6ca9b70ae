#include "cli/ProgressPrinter.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int kBarWidth = 40;
}

ProgressPrinter::ProgressPrinter(bool terminal) : terminal_(terminal) {}

void ProgressPrinter::Progress(int32_t thousandths) {
    const int32_t percent = std::clamp(thousandths / 10, 0, 100);
    if (percent == lastPercent_) return;
    // Plain lines come every ten percent: a log, not a bar.
    lastPercent_ = percent;
    if (terminal_)
        Draw();
    else if (percent % 10 == 0)
        fmt::print(stderr, "{}%\n", percent);
}

void ProgressPrinter::Status(const std::string& text) {
    status_ = text;
    if (terminal_)
        Draw();
    else
        fmt::print(stderr, "{}\n", text);
}

void ProgressPrinter::Note(const std::string& text) {
    Finish();
    fmt::print(stderr, "{}\n", text);
    if (terminal_ && lastPercent_ >= 0) Draw();
}

void ProgressPrinter::Draw() {
    const int percent = std::max(lastPercent_, 0);
    const int filled = percent * kBarWidth / 100;
    fmt::print(stderr, "\r[{}{}] {:3}% {}\x1b[K", std::string(size_t(filled), '#'),
               std::string(size_t(kBarWidth - filled), ' '), percent, status_);
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressPrinter::Finish() {
    if (drawn_) fmt::print(stderr, "\n");
    drawn_ = false;
}
