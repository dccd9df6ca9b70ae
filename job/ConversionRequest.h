#pragma once
// The settings record of one conversion, filled by the dialog or kavro-cli and read in place by
// the worker throughout a run. Each setting is also a row of the table in
// ConversionSettings.cpp (its name, range, choices and help); the defaults are the ones below.
#include <cstdint>
#include <string>

class AbortEvent;
class NotifyReceiver;
struct FitReport;

struct ConversionRequest {
    int32_t bitrate = 120;   // kilobytes per second
    // The size in bytes the cartridge image is to fill (the bitrate is then chosen for it);
    // 0: none, the bitrate holds.
    int32_t fitBytes = 0;
    // The part of the movie to convert, as the user gave its times (seconds or h:mm:ss.fff);
    // empty: from the beginning, to the end.
    std::string startTime;
    std::string endTime;
    int32_t width = 240;     // used only when autoSize is 0
    int32_t height = 160;
    std::string outputPath;  // UTF-8
    std::string moviePath;   // UTF-8
    // Margins in source pixels, as the picture is displayed: trimTop cuts rows at its top.
    int32_t trimBottom = 0;
    int32_t trimLeft = 0;
    int32_t trimTop = 0;
    int32_t trimRight = 0;
    int32_t frameRateChoice = 0;  // 0 automatic, 1 unchanged, 2..8 the reductions 4/5 .. 1/5
    int32_t pictureMode = 0;      // the dialog's preset; never read by the worker
    std::string romName;          // UTF-8; at most 12 bytes in CP932, upper case
    int32_t autoSize = 1;
    int32_t trimMode = 0;   // 0 none, 1 automatic, 2 manual then automatic, 3 manual only
    int32_t preFilter = 3;  // 0..3
    int32_t controls = 0;   // 1: the player pauses, seeks and resumes where it stopped; 0: any key restarts
    int32_t screen = 0;     // 0 as it is, 1 the unlit GBA screen, 2 the front-lit SP (video/ScreenAdjustment.h)
    int32_t brightness = 0;  // -100..100 each, on top of the screen's correction
    int32_t gamma = 0;
    int32_t saturation = 0;
    int32_t sound = 0;      // 0 the exact sound coder, 1 the search-ahead one
    NotifyReceiver* dialogWindow = nullptr;  // receives the completion notice; not owned
    // The run's abort channel, signalled by whoever started the run; not owned. None: the
    // run cannot be aborted.
    const AbortEvent* abortEvent = nullptr;
    // Receives what a run that fits a size chose; not owned. None: nobody asks.
    FitReport* fitReport = nullptr;
};
