// Aborting a run from another process through the named abort event.
#include <gtest/gtest.h>

#include <semaphore.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/RunState.h"
#include "tests/source/SourceTestSupport.h"

namespace {

// Runs the helper that signals the event by name, as the dialog would; answers its exit status.
int SignalFromAnotherProcess(const std::string& eventName) {
    const std::string program = KAVRO_SIGNAL_NAMED_EVENT;
    char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(eventName.c_str()), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SourceAbort, SignalFromAnotherProcessStopsDecoding) {
    ClearRunState();
    ScratchFolder scratch;
    const std::string path = scratch.File("long.avi");
    constexpr int kFrames = 250;
    FixtureMovie movie{.video = FixtureVideo{.width = 32, .height = 24, .frameCount = kFrames},
                       .audio = FixtureAudio{.sampleCount = 441000}};
    WRITE_FIXTURE(path, movie);
    RecordedSource source;
    ASSERT_TRUE(source.Build(path)) << ErrorDetail;

    // The sink takes 20 ms a picture, so the whole movie would take at least 5 s and one
    // second holds at most 50 pictures, however fast the machine.
    std::mutex mutex;
    std::condition_variable started;
    bool firstPicture = false;
    source.pictures.afterEach = [&](size_t count) {
        if (count == 1) {
            std::lock_guard lock(mutex);
            firstPicture = true;
            started.notify_all();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    };
    const std::string eventName = "KavroTest-abort-" + std::to_string(getpid());
    size_t picturesWhenSignalled = 0;
    int helperStatus = -1;
    std::chrono::steady_clock::time_point signalled;
    std::jthread aborter([&] {
        std::unique_lock lock(mutex);
        started.wait(lock, [&] { return firstPicture; });
        lock.unlock();
        helperStatus = SignalFromAnotherProcess(eventName);
        picturesWhenSignalled = source.pictures.count;
        signalled = std::chrono::steady_clock::now();
    });

    const bool completed = RunSourceGraph(*source.graph, eventName);
    const auto returned = std::chrono::steady_clock::now();
    aborter.join();

    EXPECT_EQ(helperStatus, 0);
    EXPECT_FALSE(completed);
    EXPECT_TRUE(AbortRequested);
    EXPECT_EQ(ErrorDetail, "Operation canceled");
    const size_t delivered = source.pictures.count;
    EXPECT_LT(delivered - picturesWhenSignalled, 50u) << "pictures delivered after the signal";
    RecordProperty("ms_from_signal_to_return",
                   int(std::chrono::duration_cast<std::chrono::milliseconds>(returned - signalled).count()));
    // The event is gone with the run.
    EXPECT_EQ(sem_open(("/" + eventName).c_str(), 0), SEM_FAILED);
    // Delivered pictures stay whole and in order up to the abort.
    for (size_t index = 0; index < source.pictures.buffers.size(); ++index)
        EXPECT_EQ(ReadFrameNumber(source.pictures.buffers[index], 32, 24), int(index));
}

}  // namespace
