#include "job/AssembleRomImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include <fmt/format.h>

#include "format/Cartridge.h"
#include "format/PlayerOptions.h"
#include "job/ImageOutput.h"
#include "job/PlayerOptionsFor.h"
#include "platform/AbortEvent.h"
#include "platform/Cp932.h"
#include "platform/RunState.h"
#include "resources/Resources.h"

namespace {

using cartridge::kComplementOffset;
using cartridge::kTitleBytes;
using cartridge::kTitleOffset;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// Writes everything, retrying short writes; false when not all bytes reached the file.
bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes = bytes.subspan(size_t(written));
    }
    return true;
}

bool ReadAll(int fd, std::span<uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t got = read(fd, bytes.data(), bytes.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes = bytes.subspan(size_t(got));
    }
    return true;
}

// The player's header with the ROM name in its title field, zero-filled, and the complement
// check byte made anew: the handheld refuses a cartridge whose header sum is wrong.
std::array<uint8_t, cartridge::kHeaderBytes> TitledHeader(std::span<const uint8_t> player,
                                                          const std::string& romName) {
    std::array<uint8_t, cartridge::kHeaderBytes> header;
    std::copy_n(player.begin(), header.size(), header.begin());
    const std::string bytes = Utf8ToCp932(romName).value_or(romName);
    std::fill_n(header.begin() + kTitleOffset, kTitleBytes, 0);
    std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), kTitleBytes), header.begin() + kTitleOffset);
    header[kComplementOffset] = cartridge::HeaderComplement(header.data());
    return header;
}

bool WriteTitle(int fd, std::span<const uint8_t> player, const std::string& romName) {
    const auto header = TitledHeader(player, romName);
    return pwrite(fd, header.data() + kTitleOffset, kTitleBytes, kTitleOffset) == ssize_t(kTitleBytes) &&
           pwrite(fd, header.data() + kComplementOffset, 1, kComplementOffset) == 1;
}

// The player image with `options` in place of its own block; none when the player carries no
// block this build knows, which could not be told what to do.
std::optional<std::vector<uint8_t>> PlayerWithOptions(std::span<const uint8_t> player,
                                                      const player_options::PlayerOptions& options) {
    if (player.size() < player_options::kOffset + sizeof(player_options::PlayerOptions) ||
        !player_options::Known(player_options::Get(player.data())))
        return std::nullopt;
    std::vector<uint8_t> image(player.begin(), player.end());
    player_options::Put(image.data(), options);
    return image;
}

// "33,554,432": sizes as the user reads them.
std::string GroupedDigits(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0) grouped += ',';
        grouped += digits[at];
    }
    return grouped;
}

// Ends assembly with a code and its cause in ErrorDetail; errno gives the system's reason.
CompletionCode Fail(CompletionCode code, const std::string& path) {
    ErrorDetail = fmt::format("{} {}: {}", CompletionCause(code), path, std::strerror(errno));
    return code;
}

// Reads a whole stream file.
std::optional<std::vector<uint8_t>> ReadStream(const std::string& streamPath) {
    const FileDescriptor stream(open(streamPath.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (!stream.valid() || fstat(stream.get(), &status) != 0) return std::nullopt;
    std::vector<uint8_t> buffer;
    try {
        buffer.resize(size_t(status.st_size));
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return std::nullopt;
    }
    if (!ReadAll(stream.get(), buffer)) return std::nullopt;
    return buffer;
}

uint64_t FileBytes(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 ? uint64_t(status.st_size) : 0;
}

// Steps after the player image is written: the body, each stream, then the title.
CompletionCode AppendStreams(int output, std::span<const uint8_t> player, const ConversionRequest& request,
                             std::span<const uint8_t> body, std::span<const std::string> streamPaths) {
    uint64_t imageBytes = player.size() + body.size();
    for (const std::string& path : streamPaths) {
        if (access(path.c_str(), R_OK) != 0) return Fail(kStreamNotOpened, path);
        imageBytes += FileBytes(path);
    }
    CompletionCode code = kCompleted;
    if (imageBytes > kCartridgeLimitBytes) {
        code = kImageTooLarge;
        ErrorDetail = fmt::format("イメージは {} バイトで、カートリッジの上限 {} バイトを超えています",
                                  GroupedDigits(imageBytes), GroupedDigits(kCartridgeLimitBytes));
    }
    if (!WriteAll(output, body)) return Fail(kStreamNotWritten, request.outputPath);
    for (const std::string& path : streamPaths) {
        const std::optional<std::vector<uint8_t>> stream = ReadStream(path);
        if (!stream) return Fail(errno == ENOENT ? kStreamNotOpened : kStreamNotRead, path);
        if (!WriteAll(output, *stream)) return Fail(kStreamNotWritten, request.outputPath);
    }
    // The title's own write result is not examined: the image is complete without it.
    if (!request.romName.empty()) WriteTitle(output, player, request.romName);
    return code;
}

}  // namespace

CompletionCode AssembleImage(const ConversionRequest& request, const player_options::PlayerOptions& options,
                             std::span<const uint8_t> body, std::span<const std::string> streamPaths) {
    const auto resource = FindModuleResource("BINARY", 130);
    if (!resource || resource->size() < cartridge::kHeaderBytes) return kPlayerNotWritten;
    const std::optional<std::vector<uint8_t>> player = PlayerWithOptions(*resource, options);
    if (!player) {
        ErrorDetail = "プレーヤーイメージに、このプログラムが書き込めるオプションブロックがありません";
        return kPlayerNotWritten;
    }
    ImageOutput output(request.outputPath);
    if (!output.IsOpen()) return Fail(kOutputNotCreated, request.outputPath);
    if (!WriteAll(output.Descriptor(), *player))
        return Fail(kPlayerNotWritten, request.outputPath);
    const CompletionCode code = AppendStreams(output.Descriptor(), *player, request, body, streamPaths);
    if (code != kCompleted && code != kImageTooLarge) return code;
    // The last moment an abort can keep the existing output.
    if (RunAborted(request.abortEvent)) return kRunFailed;
    if (!output.Commit()) return Fail(kOutputNotCreated, request.outputPath);
    return code;
}

CompletionCode AssembleRomImage(const ConversionRequest& request, const std::string& streamPath) {
    return AssembleImage(request, PlayerOptionsFor(request), {}, std::span(&streamPath, 1));
}
