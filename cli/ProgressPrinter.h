#pragma once
// Shows a conversion's progress and status notices on stderr: a redrawn bar on a terminal,
// a line every ten percent otherwise.
#include <cstdint>
#include <string>

class ProgressPrinter {
public:
    explicit ProgressPrinter(bool terminal);
    void Progress(int32_t thousandths);
    void Status(const std::string& text);
    // A line of its own, below the bar.
    void Note(const std::string& text);
    // Ends the bar's line so that later output starts on a fresh one.
    void Finish();

private:
    void Draw();

    bool terminal_;
    int32_t lastPercent_ = -1;
    std::string status_;
    bool drawn_ = false;
};
