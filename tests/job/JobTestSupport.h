#pragma once
// What the job tests share: a private temporary folder, fixture movies, and one run of the
// worker with its completion notice.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "job/ConversionRequest.h"
#include "platform/RecordingNotifyReceiver.h"
#include "tests/source/FixtureMovies.h"
#include "tests/support/ScratchFolder.h"

// A scratch folder whose subfolder "tmp" is TMPDIR while the object lives: where the worker
// makes its temporary stream files.
class WorkerFolder {
public:
    WorkerFolder();
    ~WorkerFolder();
    WorkerFolder(const WorkerFolder&) = delete;
    WorkerFolder& operator=(const WorkerFolder&) = delete;

    const std::filesystem::path& Path() const { return scratch_.Path(); }
    const std::filesystem::path& Temporary() const { return temporary_; }
    // Names of the files left in the temporary folder.
    std::vector<std::string> LeftoverTemporaryFiles() const;

private:
    ScratchFolder scratch_;
    std::filesystem::path temporary_;
    std::optional<std::string> previousTmpdir_;
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

// Names of the images in the making (the assembly's temporary files) left in `folder`.
std::vector<std::string> LeftoverImageFiles(const std::filesystem::path& folder);
