// Aborting a run through its own abort event, and only through it.
#include <gtest/gtest.h>

#include <semaphore.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/AbortEvent.h"
#include "platform/RunState.h"
#include "tests/source/SourceTestSupport.h"

namespace {

// Signals the system-wide semaphore of that name from a process of its own; answers its exit status.
int SignalFromAnotherProcess(const std::string& eventName) {
    const std::string program = KAVRO_SIGNAL_NAMED_EVENT;
    char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(eventName.c_str()), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A movie whose decoding takes a while: the sink takes 20 ms a picture, so one second holds at
// most 50 pictures, however fast the machine. Calls `onFirst` on the first picture.
class SlowSource {
public:
    SlowSource(int frames, std::function<void()> onFirst) {
        const std::string path = scratch.File("long.avi");
        FixtureMovie movie{.video = FixtureVideo{.width = 32, .height = 24, .frameCount = frames},
                           .audio = FixtureAudio{.sampleCount = 44100 * frames / 25}};
        std::string message;
        EXPECT_EQ(WriteFixtureMovie(path, movie, message), FixtureStatus::Written) << message;
        EXPECT_TRUE(source.Build(path)) << ErrorDetail;
        source.pictures.afterEach = [onFirst = std::move(onFirst)](size_t count) {
            if (count == 1) onFirst();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        };
    }
    ScratchFolder scratch;
    RecordedSource source;
};

TEST(SourceAbort, SignalStopsDecodingWithinHalfASecond) {
    ClearRunState();
    AbortEvent abortEvent;
    std::mutex mutex;
    std::condition_variable started;
    bool firstPicture = false;
    SlowSource slow(250, [&] {
        std::lock_guard lock(mutex);
        firstPicture = true;
        started.notify_all();
    });
    size_t picturesWhenSignalled = 0;
    std::chrono::steady_clock::time_point signalled;
    std::jthread aborter([&] {
        std::unique_lock lock(mutex);
        started.wait(lock, [&] { return firstPicture; });
        lock.unlock();
        abortEvent.Signal();  // as the dialog's Exit and the command line's signals do
        picturesWhenSignalled = slow.source.pictures.count;
        signalled = std::chrono::steady_clock::now();
    });

    const bool completed = RunSourceGraph(*slow.source.graph, &abortEvent);
    const auto returned = std::chrono::steady_clock::now();
    aborter.join();

    EXPECT_FALSE(completed);
    EXPECT_TRUE(AbortRequested);
    EXPECT_EQ(ErrorDetail, "Operation canceled");
    const size_t delivered = slow.source.pictures.count;
    EXPECT_LT(delivered - picturesWhenSignalled, 50u) << "pictures delivered after the signal";
    RecordProperty("ms_from_signal_to_return",
                   int(std::chrono::duration_cast<std::chrono::milliseconds>(returned - signalled).count()));
    // Delivered pictures stay whole and in order up to the abort.
    for (size_t index = 0; index < slow.source.pictures.buffers.size(); ++index)
        EXPECT_EQ(ReadFrameNumber(slow.source.pictures.buffers[index], 32, 24), int(index));
    ClearRunState();
}

TEST(SourceAbort, OtherProcessesCannotAbortARun) {
    ClearRunState();
    // A count left under the old system-wide name, as a run killed before it took its signal
    // leaves it, and a signal sent there by another process while this run decodes.
    const std::string systemWide = "KavroAbortEvent";
    ASSERT_EQ(SignalFromAnotherProcess(systemWide), 0);
    AbortEvent abortEvent;
    int helperStatus = -1;
    SlowSource slow(60, [&] { helperStatus = SignalFromAnotherProcess(systemWide); });

    EXPECT_TRUE(RunSourceGraph(*slow.source.graph, &abortEvent)) << ErrorDetail;
    EXPECT_EQ(helperStatus, 0);
    EXPECT_FALSE(AbortRequested);
    EXPECT_EQ(slow.source.pictures.count, 60u);
    sem_unlink(("/" + systemWide).c_str());
}

}  // namespace
