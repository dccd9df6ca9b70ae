// kavro-cli convert: options reach the image, exit statuses, and Ctrl-C.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <semaphore.h>
#include <signal.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include <chrono>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <thread>

#include <fmt/format.h>

#include "audio/AdpcmDecoder.h"
#include "format/CartridgeImage.h"
#include "format/MovieStream.h"
#include "format/PlayerOptions.h"
#include "job/Completion.h"
#include "tests/cli/CliRun.h"
#include "tests/player/CinepakOracle.h"
#include "tests/player/TestCartridge.h"
#include "tests/source/FixtureMovies.h"
#include "video/MovieStreamReader.h"

namespace {

using nlohmann::json;

class Convert : public testing::Test {
protected:
    // An AVI at 25 fps with stereo sound: 128 x 96 raw pictures unless told otherwise.
    std::string Movie(int frames = 25, int width = 128, int height = 96, AVCodecID codec = AV_CODEC_ID_RAWVIDEO) {
        FixtureMovie movie;
        movie.video->codec = codec;
        movie.video->width = width;
        movie.video->height = height;
        movie.video->frameCount = frames;
        movie.audio = FixtureAudio{};
        movie.audio->sampleCount = 44100 * frames / 25;
        const std::string path = (scratch.Path() / ("movie-" + std::to_string(frames) + ".avi")).string();
        std::string message;
        EXPECT_EQ(WriteFixtureMovie(path, movie, message), FixtureStatus::Written) << message;
        return path;
    }

    std::string Output() const { return (scratch.Path() / "out.gba").string(); }

    // Converts the one-second movie with the options and answers the --json summary.
    json ConvertJson(std::vector<std::string> options) {
        std::vector<std::string> arguments{"convert", Movie(), Output(), "--json", "--force"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.exitCode == 0 ? json::parse(result.out) : json{};
    }

    std::vector<uint8_t> Image() const {
        std::ifstream in(Output(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    ScratchFolder scratch;
};

TEST_F(Convert, DefaultsMakeAnImageThatInspects) {
    const json summary = ConvertJson({});
    EXPECT_TRUE(summary["ok"].get<bool>());
    EXPECT_TRUE(summary["streamOk"].get<bool>());
    // 128 x 96 keeps its aspect at 160 rows; 25 fps is halved automatically.
    EXPECT_EQ(summary["width"], 212);
    EXPECT_EQ(summary["height"], 160);
    EXPECT_EQ(summary["frames"], 12);
    EXPECT_EQ(RunCli({"inspect", Output()}).exitCode, 0);
}

TEST_F(Convert, PictureOptionsSetTrimmingAndSize) {
    EXPECT_EQ(ConvertJson({"--picture", "stretch"})["width"], 240);
    const json keepAspect = ConvertJson({"--picture", "keep-aspect"});
    EXPECT_EQ(keepAspect["width"], 240);
    EXPECT_EQ(keepAspect["height"], 160);
    const json manual = ConvertJson({"--picture", "manual", "--size", "120x80"});
    EXPECT_EQ(manual["width"], 120);
    EXPECT_EQ(manual["height"], 80);
    // 64 columns cut on the right leave 64 x 96, which grows to 108 x 160.
    const json trimmed = ConvertJson({"--trim-mode", "3", "--trim", "0,0,64,0"});
    EXPECT_EQ(trimmed["width"], 108);
    EXPECT_EQ(trimmed["height"], 160);
}

TEST_F(Convert, FrameRateBitrateFilterAndNameReachTheImage) {
    EXPECT_EQ(ConvertJson({"--frame-rate", "unchanged"})["frames"], 25);
    EXPECT_EQ(ConvertJson({"--frame-rate", "1/5", "--picture", "stretch"})["frames"], 5)
        << "the frame rate applies in every picture mode";
    const size_t thin = ConvertJson({"--bitrate", "10", "--prefilter", "0"})["imageBytes"].get<size_t>();
    const size_t rich = ConvertJson({"--bitrate", "300", "--prefilter", "0"})["imageBytes"].get<size_t>();
    EXPECT_LT(thin, rich);
    ConvertJson({"--rom-name", "moviE"});
    const std::vector<uint8_t> image = Image();
    EXPECT_EQ(std::string(image.begin() + 160, image.begin() + 166), std::string("MOVIE\0", 6));
}

// A frame record of a stream inside `image`, as the stream writer took it.
FrameRecord RecordOf(const std::vector<uint8_t>& image, size_t streamOffset, const MovieStreamRecord& record) {
    const auto first = image.begin() + ptrdiff_t(streamOffset + record.offset + movie_stream::kRecordHeaderBytes);
    return {record.stripId, std::vector<uint8_t>(first, image.begin() + ptrdiff_t(streamOffset + record.offset + record.length))};
}

// The sound of `adpcm` as a player decodes it, its decoder started afresh at each block of
// `restarts`.
std::vector<int8_t> DecodeAfresh(std::span<const uint8_t> adpcm, std::vector<size_t> restarts) {
    restarts.push_back(adpcm.size() / kAdpcmBlockBytes);
    std::vector<int8_t> sound;
    size_t first = 0;
    for (const size_t restart : restarts) {
        const std::vector<int8_t> piece = DecodeAdpcmBlock(adpcm.subspan(first * kAdpcmBlockBytes, (restart - first) * kAdpcmBlockBytes));
        sound.insert(sound.end(), piece.begin(), piece.end());
        first = restart;
    }
    return sound;
}

// The mean of |a - b| over blocks `first` .. `end` - 1.
double MeanDistance(const std::vector<int8_t>& a, const std::vector<int8_t>& b, size_t first, size_t end) {
    double sum = 0;
    for (size_t i = first * kAdpcmBlockSamples; i < end * kAdpcmBlockSamples; ++i) sum += std::abs(a[i] - b[i]);
    return sum / double((end - first) * kAdpcmBlockSamples);
}

// With --controls a 5-second movie at 12.5 frames a second gets a seek point every 25 records
// (2 seconds): FFmpeg decodes each seek point's picture from that record on as it does through
// the movie, and the sound coder starts afresh at the block that plays with it (2 s x 59.727 =
// block 119, 4 s = block 238). Without it the image is the player's own but for title and
// complement, its options block says "off", and its stream is the one --controls makes up to
// the first seek point.
TEST_F(Convert, ControlsMakeSeekPointsThatDecodeAloneAndWithoutThemNothingChanges) {
    const std::string movie = Movie(125);
    const auto convert = [&](const std::string& output, std::vector<std::string> options) {
        std::vector<std::string> arguments{"convert", movie, output, "--force"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const CliResult inspected = RunCli({"inspect", output, "--json"});
        EXPECT_EQ(inspected.exitCode, 0) << inspected.out;
        std::ifstream in(output, std::ios::binary);
        return std::pair(std::vector<uint8_t>{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()},
                         json::parse(inspected.out));
    };
    const auto [off, offReport] = convert((scratch.Path() / "off.gba").string(), {});
    const auto [on, onReport] = convert((scratch.Path() / "on.gba").string(), {"--controls"});
    EXPECT_EQ(offReport["options"], (json{{"known", true}, {"controls", false}, {"seekSpacingRefreshes", 0}, {"sram", false}}));
    EXPECT_EQ(onReport["options"], (json{{"known", true}, {"controls", true}, {"seekSpacingRefreshes", 119}, {"sram", true}}));
    EXPECT_TRUE(onReport["header"]["complementOk"].get<bool>());

    const std::span<const uint8_t> player = PlayerRom();
    ASSERT_GT(off.size(), player.size());
    for (uint32_t i = 0; i < player.size(); ++i) {
        if (!cartridge_image::IsAssembled(i)) {
            ASSERT_EQ(off[i], player[i]) << "player byte " << i;
        }
    }
    EXPECT_TRUE(std::equal(player.begin() + player_options::kOffset,
                           player.begin() + player_options::kOffset + sizeof(player_options::PlayerOptions),
                           off.begin() + player_options::kOffset))
        << "the options block of an image without controls is the player's own";
    const MovieStreamCheck offStream = ReadMovieStream(off, player.size());
    const MovieStreamCheck onStream = ReadMovieStream(on, player.size());
    ASSERT_TRUE(offStream.ok && onStream.ok);
    ASSERT_EQ(onStream.info.frameCount, 62u);
    ASSERT_EQ(offStream.info.frameCount, 62u);
    const size_t firstSeekPoint = onStream.info.records[25].offset;
    EXPECT_TRUE(std::equal(off.begin() + ptrdiff_t(player.size()), off.begin() + ptrdiff_t(player.size() + firstSeekPoint),
                           on.begin() + ptrdiff_t(player.size())));
    EXPECT_NE(offStream.info.records[25].stripId, 0x1000) << "the movie has no intra frame of its own there";

    CinepakOracle through(onStream.info.width, onStream.info.height);
    for (uint32_t k = 0; k < onStream.info.frameCount; ++k) {
        const FrameRecord record = RecordOf(on, player.size(), onStream.info.records[k]);
        EXPECT_EQ(record.stripId == 0x1000, k % 25 == 0) << "record " << k;
        const std::vector<uint8_t> picture = through.Decode(record);
        if (k % 25 != 0) continue;
        CinepakOracle fresh(onStream.info.width, onStream.info.height);
        EXPECT_EQ(fresh.Decode(record), picture) << "seek point " << k;
    }

    // The sound coder starts afresh at the blocks that play with the seek points and nowhere
    // else: decoded as the player decodes it, afresh there, the sound is the one without seek
    // points (blocks up to 119 byte for byte), while a decoder that carries its state into such a
    // block is far off in it.
    const auto adpcm = [&](const std::vector<uint8_t>& image, const MovieStreamInfo& info) {
        return std::span<const uint8_t>(image.data() + player.size() + info.audioDataOffset,
                                        size_t(info.audioBlockCount) * kAdpcmBlockBytes);
    };
    const std::span<const uint8_t> onSound = adpcm(on, onStream.info);
    const std::span<const uint8_t> offSound = adpcm(off, offStream.info);
    ASSERT_EQ(onSound.size(), offSound.size());
    const size_t blocks = onSound.size() / kAdpcmBlockBytes;
    ASSERT_GT(blocks, 290u);
    EXPECT_TRUE(std::equal(offSound.begin(), offSound.begin() + 119 * kAdpcmBlockBytes, onSound.begin()));
    const std::vector<int8_t> without = DecodeAdpcmBlock(offSound);
    const std::vector<int8_t> played = DecodeAfresh(onSound, {119, 238});
    const std::vector<int8_t> carried = DecodeAdpcmBlock(onSound);
    EXPECT_LT(MeanDistance(played, without, 0, blocks), 0.05);
    for (const size_t block : {119, 238}) {
        std::printf("block %zu, mean distance from the sound without seek points: decoded afresh %.2f, carried on %.2f\n",
                    block, MeanDistance(played, without, block, block + 1), MeanDistance(carried, without, block, block + 1));
        EXPECT_LT(MeanDistance(played, without, block, block + 1), 2.0) << "block " << block;
        EXPECT_GT(MeanDistance(carried, without, block, block + 1), 10.0) << "block " << block;
    }
}

TEST_F(Convert, ScreenAndSoundChangeOnlyTheirOwnPart) {
    const std::string movie = Movie();
    const std::span<const uint8_t> player = PlayerRom();
    struct Parts {
        std::vector<uint8_t> image, frames, sound;
    };
    const auto convert = [&](std::vector<std::string> options) {
        std::vector<std::string> arguments{"convert", movie, Output(), "--force"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        Parts parts{Image(), {}, {}};
        const MovieStreamCheck stream = ReadMovieStream(parts.image, player.size());
        EXPECT_TRUE(stream.ok) << stream.error;
        if (!stream.ok) return parts;
        const auto from = parts.image.begin() + ptrdiff_t(player.size());
        const auto soundStart = from + ptrdiff_t(stream.info.audioDataOffset);
        parts.frames.assign(from, soundStart);
        parts.sound.assign(soundStart, soundStart + ptrdiff_t(size_t(stream.info.audioBlockCount) * kAdpcmBlockBytes));
        return parts;
    };
    const Parts today = convert({});
    ASSERT_FALSE(today.sound.empty());
    EXPECT_EQ(convert({"--screen", "standard", "--brightness", "0", "--gamma", "0", "--saturation", "0", "--sound",
                       "standard"})
                  .image,
              today.image);
    for (const auto& options : {std::vector<std::string>{"--screen", "gba"}, {"--screen", "sp"},
                                {"--gamma", "40"}, {"--brightness", "-20", "--saturation", "35"}}) {
        const Parts screen = convert(options);
        EXPECT_NE(screen.frames, today.frames) << options[0];
        EXPECT_EQ(screen.sound, today.sound) << options[0];
    }
    const Parts high = convert({"--sound", "high"});
    EXPECT_EQ(high.frames, today.frames);
    EXPECT_EQ(high.sound.size(), today.sound.size());
    EXPECT_NE(high.sound, today.sound);
}

TEST_F(Convert, UsageErrorsExitTwoAndTouchNothing) {
    const std::string movie = Movie();
    std::ofstream(Output()) << "keep";
    const auto usage = [&](std::vector<std::string> options) {
        std::vector<std::string> arguments{"convert", movie, Output()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return RunCli(arguments);
    };
    const CliResult existing = usage({});
    EXPECT_EQ(existing.exitCode, 2);
    EXPECT_NE(existing.err.find("--force"), std::string::npos) << existing.err;
    EXPECT_EQ(usage({"--force", "--size", "238x160"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--picture", "stretch", "--trim", "1,2,3,4"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--frame-rate", "3/4"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--prefilter", "4"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--rom-name", "THIRTEEN CHAR"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--screen", "dmg"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--gamma", "101"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--brightness", "-101"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--sound", "best"}).exitCode, 2);
    EXPECT_EQ(RunCli({"convert", movie}).exitCode, 2);
    EXPECT_EQ(Image(), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST_F(Convert, FailedConversionExitsOneWithTheDialogsMessage) {
    const CliResult result = RunCli({"convert", (scratch.Path() / "none.avi").string(), Output()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("変換中にエラーが発生しました(4)\n"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("No such file"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(Output()));
}

// What every aborted conversion must leave: exit 1 with the dialog's abort text, the existing
// output as it was, and no image in the making beside it.
void ExpectAborted(CliProcess& process, const std::filesystem::path& output, const std::string& before) {
    EXPECT_EQ(process.Wait(), 1);
    EXPECT_NE(process.Errors().find("変換処理は中断されました"), std::string::npos) << process.Errors();
    std::ifstream in(output, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), before);
    for (const auto& entry : std::filesystem::directory_iterator(output.parent_path()))
        EXPECT_EQ(entry.path().filename().string().find(".KAVRO"), std::string::npos) << entry.path();
}

TEST_F(Convert, InterruptAbortsAndRunsAtNormalPriority) {
    const std::string movie = Movie(500, 320, 240, AV_CODEC_ID_MJPEG);  // 20 s: long enough to interrupt
    std::ofstream(Output()) << "keep";
    CliProcess process({"convert", movie, Output(), "--force"});
    ASSERT_TRUE(process.WaitForError("%")) << process.Errors();  // decoding runs
    // Every thread at the normal priority: a conversion is not starved by other busy processes.
    for (const CliProcess::ThreadPriority priority : process.ThreadPriorities()) {
        EXPECT_EQ(priority.nice, 0);
        EXPECT_EQ(priority.policy, SCHED_OTHER);
    }
    kill(process.Pid(), SIGINT);
    ExpectAborted(process, Output(), "keep");
}

// A FIFO without a writer would hold the open of the movie for ever; SIGTERM ends it at once.
TEST_F(Convert, SignalWhileWaitingForTheMovieAborts) {
    const std::string fifo = (scratch.Path() / "movie.avi").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CliProcess process({"convert", fifo, Output()});
    // Long enough for a loaded machine to start the program and set its signal handlers.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const auto signalled = std::chrono::steady_clock::now();
    kill(process.Pid(), SIGTERM);
    EXPECT_EQ(process.Wait(std::chrono::seconds(5)), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(1));
    EXPECT_NE(process.Errors().find("変換処理は中断されました"), std::string::npos) << process.Errors();
    EXPECT_FALSE(std::filesystem::exists(Output()));
}

// How many descriptors of the process are open on the file.
int OpenDescriptors(pid_t pid, const std::string& path) {
    int count = 0;
    std::error_code gone;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", gone))
        if (std::filesystem::read_symlink(fd.path(), gone) == path) ++count;
    return count;
}

// A pipe whose stream states no length (a program stream) is read once: the conversion ends as
// it did before the length was scanned for (no length), or succeeds, and never opens the pipe
// beside its reader, where the second reader would wait for a writer that has gone, or take the
// movie's bytes; nor for a moment before it, which would let the writer start and then fail.
TEST_F(Convert, PipeWithoutALengthIsReadOnce) {
    const std::string file = (scratch.Path() / "movie.mpg").string();
    std::string message;
    ASSERT_EQ(WriteFixtureMovie(file, ProgramStreamMovie(30), message), FixtureStatus::Written) << message;
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string fifo = (scratch.Path() / "pipe.mpg").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A reader that stops early must not end the test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);

    CliProcess process({"convert", fifo, Output()});
    std::atomic<bool> ended{false};
    std::atomic<int> secondReaders{0};
    std::atomic<bool> writeCut{false};
    std::jthread writer([&] {
        const int pipe = open(fifo.c_str(), O_WRONLY);  // waits for the conversion to open it
        if (pipe < 0) return;
        for (size_t written = 0; written < bytes.size();) {
            const ssize_t n = write(pipe, bytes.data() + written, bytes.size() - written);
            if (n <= 0) {
                writeCut = true;  // no reader left: one had opened the pipe and gone
                break;
            }
            written += size_t(n);
        }
        close(pipe);
        // Now and then a writer for a moment: an open waiting for one goes through and shows
        // as a second descriptor, and then reads the end.
        while (!ended) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const int probe = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (probe < 0) continue;  // no reader
            for (int wait = 0; wait < 20 && secondReaders == 0; ++wait) {
                if (OpenDescriptors(process.Pid(), fifo) >= 2) ++secondReaders;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            close(probe);
        }
    });
    const int status = process.Wait(std::chrono::seconds(120));
    ended = true;
    ASSERT_NE(status, -2) << "the conversion still runs: " << process.Errors();
    EXPECT_EQ(secondReaders, 0) << process.Errors();
    EXPECT_FALSE(writeCut) << process.Errors();
    if (status == 0) {
        EXPECT_TRUE(std::filesystem::exists(Output()));
    } else {
        EXPECT_EQ(status, 1);
        EXPECT_NE(process.Errors().find(fmt::format("({})", int(kNoDuration))), std::string::npos) << process.Errors();
        EXPECT_FALSE(std::filesystem::exists(Output()));
    }
}

// Runs of other processes neither abort a run nor take its abort away: a stale count under the
// old system-wide event name, and a second conversion that ends while the first decodes.
TEST_F(Convert, EachRunAbortsOnlyItself) {
    sem_t* stale = sem_open("/KavroAbortEvent", O_CREAT, 0600, 1);
    ASSERT_NE(stale, SEM_FAILED);
    sem_close(stale);
    const std::string longMovie = Movie(500, 320, 240, AV_CODEC_ID_MJPEG);
    const std::string shortMovie = Movie();
    const std::filesystem::path firstOutput = scratch.Path() / "first" / "first.gba";
    std::filesystem::create_directory(firstOutput.parent_path());
    CliProcess first({"convert", longMovie, firstOutput.string(), "--nice"});
    ASSERT_TRUE(first.WaitForError("%")) << first.Errors();
    // --nice: the worker and decoding threads at 19, the main thread as it was.
    const std::vector<CliProcess::ThreadPriority> priorities = first.ThreadPriorities();
    EXPECT_EQ(std::count_if(priorities.begin(), priorities.end(), [](auto p) { return p.nice == 19; }),
              ptrdiff_t(priorities.size()) - 1);

    const CliResult second = RunCli({"convert", shortMovie, Output(), "--json"});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_TRUE(first.Running()) << "the stale count aborted the first run: " << first.Errors();
    kill(first.Pid(), SIGINT);
    ExpectAborted(first, firstOutput, "");
    sem_unlink("/KavroAbortEvent");
}

TEST_F(Convert, OutputThatIsTheMovieIsRefused) {
    const std::string movie = Movie();
    const std::vector<uint8_t> before = [&] {
        std::ifstream in(movie, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    const std::string hard = (scratch.Path() / "hard.gba").string();
    const std::string soft = (scratch.Path() / "soft.gba").string();
    ASSERT_EQ(link(movie.c_str(), hard.c_str()), 0);
    ASSERT_EQ(symlink(movie.c_str(), soft.c_str()), 0);
    for (const std::string& output : {movie, hard, soft}) {
        const CliResult result = RunCli({"convert", movie, output, "--force"});
        EXPECT_EQ(result.exitCode, 2) << output;
        EXPECT_NE(result.err.find("is the movie itself"), std::string::npos) << result.err;
    }
    std::ifstream in(movie, std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), before);
}

// 240 frames a second are more than the display's 59.727 refreshes show: one in five is kept,
// said on stderr, and the core shows the kept frames.
TEST_F(Convert, FrameRateAboveTheDisplaysIsThinnedAndPlays) {
    FixtureMovie fast;
    fast.video->frameRate = {240, 1};
    fast.video->frameCount = 240;
    fast.audio = FixtureAudio{};
    const std::string movie = (scratch.Path() / "fast.avi").string();
    std::string message;
    ASSERT_EQ(WriteFixtureMovie(movie, fast, message), FixtureStatus::Written) << message;
    const CliResult converted = RunCli({"convert", movie, Output(), "--frame-rate", "unchanged", "--json"});
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    EXPECT_NE(converted.err.find("one in 5 is kept"), std::string::npos) << converted.err;
    const json summary = json::parse(converted.out);
    EXPECT_EQ(summary["frames"], 48);
    EXPECT_NEAR(summary["framesPerSecond"].get<double>(), 48.0, 0.01);

    const CliResult preview =
        RunCli({"preview", Output(), "--seconds", "1.5", "--out", (scratch.Path() / "preview").string(), "--json"});
    ASSERT_EQ(preview.exitCode, 0) << preview.err;
    const json shown = json::parse(preview.out);
    EXPECT_GE(shown["framesShown"].get<int>(), 48) << "the whole first pass";
}

// A bitrate that the movie's length makes too much for a cartridge is said at the start, with
// the estimate `plan` gives; the summary stays JSON for a path that is not UTF-8.
TEST_F(Convert, WarningsAndSummariesForAnyPath) {
    const std::string output = (scratch.Path() / "caf\xE9.gba").string();
    const CliResult result = RunCli({"convert", Movie(), output, "--bitrate", "100000", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("more than the 33554432 bytes of a cartridge"), std::string::npos) << result.err;
    const CliResult plan = RunCli({"plan", Movie(), "--bitrate", "100000", "--json"});
    ASSERT_EQ(plan.exitCode, 0) << plan.err;
    const std::string estimate = std::to_string(json::parse(plan.out)["imageBytes"].get<uint64_t>());
    EXPECT_NE(result.err.find("image of about " + estimate + " bytes"), std::string::npos) << result.err;
    const json summary = json::parse(result.out);
    EXPECT_TRUE(summary["ok"].get<bool>());
    EXPECT_NE(summary["output"].get<std::string>().find("caf\uFFFD.gba"), std::string::npos);
}

}  // namespace
