#include "tests/job/JobTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "job/ConversionWorker.h"
#include "platform/ConvertNotify.h"
#include "platform/RunState.h"

WorkerFolder::WorkerFolder() : temporary_(scratch_.Path() / "tmp") {
    std::filesystem::create_directory(temporary_);
    if (const char* previous = std::getenv("TMPDIR")) previousTmpdir_ = previous;
    setenv("TMPDIR", temporary_.c_str(), 1);
}

WorkerFolder::~WorkerFolder() {
    if (previousTmpdir_)
        setenv("TMPDIR", previousTmpdir_->c_str(), 1);
    else
        unsetenv("TMPDIR");
}

std::vector<std::string> WorkerFolder::LeftoverTemporaryFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(temporary_)) names.push_back(entry.path().filename());
    return names;
}

std::string MakeMovie(const std::filesystem::path& folder, const std::string& name, const FixtureMovie& movie) {
    const std::string path = (folder / name).string();
    std::string message;
    EXPECT_EQ(WriteFixtureMovie(path, movie, message), FixtureStatus::Written) << message;
    return path;
}

FixtureMovie SmallAvi(int seconds) {
    FixtureMovie movie;
    movie.video->frameCount = 25 * seconds;
    FixtureAudio audio;
    audio.sampleCount = 44100 * seconds;
    movie.audio = audio;
    return movie;
}

int WorkerRun::CompletionNotices() const {
    int count = 0;
    for (const auto& notice : notices) count += notice.code == NOTIFY_COMPLETED;
    return count;
}

int WorkerRun::PostedCode() const {
    for (const auto& notice : notices)
        if (notice.code == NOTIFY_COMPLETED) return int(notice.value);
    return -1;
}

WorkerRun RunWorker(ConversionRequest request) {
    RecordingNotifyReceiver receiver;
    request.dialogWindow = &receiver;
    NotifyWindow = &receiver;
    AbortRequested = false;
    ErrorDetail.clear();
    WorkerRun run;
    run.returned = ConversionWorker(request);
    NotifyWindow = nullptr;
    run.notices = receiver.Notices();
    return run;
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> LeftoverImageFiles(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().find(".KAVRO") != std::string::npos) names.push_back(entry.path().filename());
    return names;
}
