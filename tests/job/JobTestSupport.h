#pragma once
// What the job tests share: a private temporary folder, fixture movies, and one run of the
// worker with its completion notice.
#include <filesystem>
#include <string>
#include <vector>

#include "job/ConversionRequest.h"
#include "platform/RecordingNotifyReceiver.h"
#include "tests/source/FixtureMovies.h"

// A fresh folder that TMPDIR points into while the object lives; removed afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return root_; }
    // The folder the worker makes its temporary files in.
    const std::filesystem::path& Temporary() const { return temporary_; }
    // Names of the files left in the temporary folder.
    std::vector<std::string> LeftoverTemporaryFiles() const;

private:
    std::filesystem::path root_;
    std::filesystem::path temporary_;
    std::string previousTmpdir_;
    bool hadTmpdir_ = false;
};

// Writes a fixture movie into `folder` and answers its path.
std::string MakeMovie(const std::filesystem::path& folder, const std::string& name, const FixtureMovie& movie);

// A 128 x 96 AVI of raw pictures at 25 fps with 16-bit stereo sound, `seconds` long.
FixtureMovie SmallAvi(int seconds = 1);

struct WorkerRun {
    int returned = 0;
    std::vector<RecordingNotifyReceiver::Notice> notices;
    int CompletionNotices() const;
    int PostedCode() const;  // the value of the (single) completion notice
};

// Runs the worker on this thread with a recording receiver as its window.
WorkerRun RunWorker(ConversionRequest request);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
