#include "job/MenuConversion.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "format/PlayerOptions.h"
#include "job/AssembleRomImage.h"
#include "job/CartridgeFit.h"
#include "job/ConversionJob.h"
#include "job/ConversionPlan.h"
#include "job/ConversionWorker.h"
#include "job/PlayerOptionsFor.h"
#include "job/ProgressShare.h"
#include "job/TemporaryStream.h"
#include "platform/ConvertNotify.h"
#include "platform/RunState.h"

namespace {

using menu_catalogue::Aligned;
using menu_catalogue::CatalogueBytes;

template <typename T>
void Append(std::vector<uint8_t>& bytes, const T& value) {
    const auto* raw = reinterpret_cast<const uint8_t*>(&value);
    bytes.insert(bytes.end(), raw, raw + sizeof value);
}

menu_catalogue::Entry EntryOf(const MenuMovie& movie, uint64_t streamOffset, uint64_t streamBytes) {
    menu_catalogue::Entry entry{};
    entry.streamOffset = uint32_t(streamOffset);
    entry.streamBytes = uint32_t(streamBytes);
    entry.page = movie.page;
    entry.highlight = movie.highlight;
    entry.thumbnailMs = movie.thumbnailMs;
    // A title too long for the field is cut before a character, never inside one.
    size_t length = std::min<size_t>(movie.title.size(), menu_catalogue::kTitleBytes - 1);
    while (length > 0 && length < movie.title.size() && (uint8_t(movie.title[length]) & 0xC0) == 0x80) --length;
    std::memcpy(entry.title, movie.title.data(), length);
    return entry;
}

ConversionRequest MovieRequest(const MenuRequest& request, size_t index) {
    ConversionRequest movie = request.settings;
    movie.moviePath = request.movies[index].moviePath;
    movie.fitBytes = 0;
    movie.fitReport = nullptr;
    return movie;
}

// The movie's share of the size: what the image leaves beside its fixed bytes, by playing time.
std::optional<std::vector<uint64_t>> Shares(const MenuRequest& request, CompletionCode& code) {
    std::vector<int64_t> playing;
    for (size_t i = 0; i < request.movies.size(); ++i) {
        const ConversionRequest movie = MovieRequest(request, i);
        MovieFacts facts;
        ConversionPlan plan;
        std::string error;
        if (!ReadMovieFacts(movie.moviePath, movie.abortEvent, facts, error)) {
            ErrorDetail = fmt::format("{}: {}", movie.moviePath, error);
            code = RunAborted(movie.abortEvent) ? kRunFailed : kSourceNotBuilt;
            return std::nullopt;
        }
        if (const CompletionCode planned = PlanConversion(facts, MapRequest(movie, ""), plan, error); planned != kCompleted) {
            ErrorDetail = fmt::format("{}: {}", movie.moviePath, error);
            code = planned;
            return std::nullopt;
        }
        playing.push_back(std::max<int64_t>(plan.playingUs, 1));
    }
    const uint64_t fixed = MenuFixedBytes(request, PlayerBytes());
    const uint64_t size = uint64_t(request.settings.fitBytes);
    const uint64_t free = size > fixed ? size - fixed : 0;
    int64_t total = 0;
    for (const int64_t us : playing) total += us;
    std::vector<uint64_t> shares;
    for (const int64_t us : playing) shares.push_back(uint64_t(double(free) * double(us) / double(total)));
    return shares;
}

// One movie's stream: at the request's rate, or fitted to its share of the size.
CompletionCode ConvertMovie(const ConversionRequest& movie, std::optional<uint64_t> share, std::optional<TemporaryStream>& stream,
                            FitReport& report) {
    if (share) return FitStream(movie, *share + PlayerBytes(), stream, report);
    stream.emplace();
    if (!stream->Created()) return kNoTemporaryFile;
    return ConversionJob::Run(MapRequest(movie, stream->Path()));
}

CompletionCode ConvertMenu(const MenuRequest& request) {
    const bool fit = request.settings.fitBytes > 0;
    CompletionCode code = kCompleted;
    std::optional<std::vector<uint64_t>> shares;
    if (fit && !(shares = Shares(request, code))) return code;
    const size_t count = request.movies.size();
    std::vector<TemporaryStream> streams;
    std::vector<std::string> paths;
    std::vector<uint64_t> sizes;
    FitReport whole{uint64_t(request.settings.fitBytes), UINT32_MAX, 0, 0};
    for (size_t i = 0; i < count; ++i) {
        const ConversionRequest movie = MovieRequest(request, i);
        std::optional<TemporaryStream> stream;
        FitReport report;
        {
            const ProgressShare share(int32_t(1000 * i / count), int32_t(1000 * (i + 1) / count));
            const std::string status = fmt::format("ムービー {} / {} を変換しています", i + 1, count);
            SendConvertStatus(status.c_str());
            code = ConvertMovie(movie, shares ? std::optional((*shares)[i]) : std::nullopt, stream, report);
        }
        if (code != kCompleted) {
            ErrorDetail = fmt::format("{}: {}", movie.moviePath, ErrorDetail);
            return code;
        }
        whole.bytesPerSecond = std::min(whole.bytesPerSecond, report.bytesPerSecond);
        whole.passes += report.passes;
        paths.push_back(stream->Path());
        sizes.push_back(stream->Bytes());
        streams.push_back(std::move(*stream));
    }
    const std::vector<uint8_t> body = MenuBody(request, PlayerBytes(), sizes);
    const player_options::PlayerOptions options = player_options::ForMenu(
        PlayerOptionsFor(request.settings), uint32_t(PlayerBytes()), uint32_t(count));
    code = AssembleImage(request.settings, options, body, paths);
    if (fit && request.settings.fitReport && (code == kCompleted || code == kImageTooLarge)) {
        whole.imageBytes = PlayerBytes() + body.size();
        for (const uint64_t bytes : sizes) whole.imageBytes += bytes;
        *request.settings.fitReport = whole;
    }
    return code;
}

}  // namespace

uint64_t MenuFixedBytes(const MenuRequest& request, uint64_t playerBytes) {
    return playerBytes + Aligned(CatalogueBytes(uint32_t(request.movies.size()))) + request.pages.size();
}

std::vector<uint8_t> MenuBody(const MenuRequest& request, uint64_t playerBytes, std::span<const uint64_t> streamBytes) {
    std::vector<uint8_t> body;
    menu_catalogue::Header header{};
    std::copy_n(menu_catalogue::kMagic, 4, header.magic);
    header.movieCount = uint16_t(request.movies.size());
    header.pageCount = uint16_t(request.pageCount);
    header.firstPageOffset = uint32_t(playerBytes + Aligned(CatalogueBytes(header.movieCount)));
    Append(body, header);
    // The streams follow each other without a gap: each is a multiple of 4 bytes long, by its
    // records' alignment, so each starts on a 4-byte boundary as the first one does.
    uint64_t offset = MenuFixedBytes(request, playerBytes);
    for (size_t i = 0; i < request.movies.size(); ++i) {
        Append(body, EntryOf(request.movies[i], offset, streamBytes[i]));
        offset += streamBytes[i];
    }
    body.resize(Aligned(uint32_t(body.size())), 0);
    body.insert(body.end(), request.pages.begin(), request.pages.end());
    return body;
}

CompletionCode MenuConversionWorker(const MenuRequest& request) {
    const CompletionCode code = ConvertMenu(request);
    if (request.settings.dialogWindow) request.settings.dialogWindow->Post(NOTIFY_COMPLETED, code);
    return code;
}
