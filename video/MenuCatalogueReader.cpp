#include "video/MenuCatalogueReader.h"

#include <fmt/format.h>

#include <cstring>

#include "format/PlayerOptions.h"

namespace {

using menu_catalogue::kAlignment;

template <typename T>
T ReadAt(std::span<const uint8_t> image, size_t offset) {
    T value;
    std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
}

// The first fault of entry `index`, whose stream must begin at `expected`.
std::string EntryFault(const MenuCatalogueCheck& check, size_t index, uint64_t expected, size_t imageBytes) {
    const menu_catalogue::Entry& entry = check.entries[index];
    if (entry.streamOffset != expected)
        return fmt::format("movie {}: stream at {}, where {} was expected", index + 1, entry.streamOffset, expected);
    if (entry.streamOffset % kAlignment != 0)
        return fmt::format("movie {}: stream at {}, not on a {}-byte boundary", index + 1, entry.streamOffset, kAlignment);
    if (uint64_t(entry.streamOffset) + entry.streamBytes > imageBytes)
        return fmt::format("movie {}: stream of {} bytes at {} passes the image's end ({})", index + 1, entry.streamBytes,
                           entry.streamOffset, imageBytes);
    if (entry.page >= check.header.pageCount)
        return fmt::format("movie {}: on page {} of {}", index + 1, entry.page + 1, check.header.pageCount);
    if (!menu_catalogue::FrameFits(entry.highlight))
        return fmt::format("movie {}: highlight {}x{} at {},{} is not inside the page", index + 1, entry.highlight.width,
                           entry.highlight.height, entry.highlight.x, entry.highlight.y);
    return "";
}

std::string Walk(std::span<const uint8_t> image, MenuCatalogueCheck& check) {
    const player_options::PlayerOptions options = player_options::Get(image.data());
    const uint32_t at = options.layoutData[0];
    if (uint64_t(at) + sizeof(menu_catalogue::Header) > image.size()) return fmt::format("catalogue at {} is outside the image", at);
    check.header = ReadAt<menu_catalogue::Header>(image, at);
    if (!menu_catalogue::HasMagic(check.header)) return fmt::format("no catalogue at {}", at);
    const uint32_t count = check.header.movieCount;
    if (count != options.layoutData[1] || count == 0 || count > menu_catalogue::kMaxMovies)
        return fmt::format("catalogue of {} movies, the options block names {}", count, options.layoutData[1]);
    if (uint64_t(at) + menu_catalogue::CatalogueBytes(count) > image.size()) return "catalogue passes the image's end";
    for (uint32_t i = 0; i < count; ++i)
        check.entries.push_back(ReadAt<menu_catalogue::Entry>(
            image, at + sizeof(menu_catalogue::Header) + i * sizeof(menu_catalogue::Entry)));
    const uint64_t pagesEnd = uint64_t(check.header.firstPageOffset) + uint64_t(check.header.pageCount) * menu_catalogue::kPageBytes;
    if (check.header.pageCount == 0 || check.header.firstPageOffset < at + menu_catalogue::CatalogueBytes(count) ||
        check.header.firstPageOffset % kAlignment != 0 || pagesEnd > image.size())
        return fmt::format("{} pages at {} do not lie between the catalogue and the image's end", check.header.pageCount,
                           check.header.firstPageOffset);
    uint64_t expected = pagesEnd;
    for (size_t i = 0; i < check.entries.size(); ++i) {
        if (std::string fault = EntryFault(check, i, expected, image.size()); !fault.empty()) return fault;
        const menu_catalogue::Entry& entry = check.entries[i];
        check.streams.push_back(ReadMovieStream(image.first(entry.streamOffset + size_t(entry.streamBytes)), entry.streamOffset));
        if (!check.streams.back().ok) return fmt::format("movie {}: {}", i + 1, check.streams.back().error);
        expected += entry.streamBytes;
    }
    if (expected != image.size()) return fmt::format("{} bytes follow the last stream", image.size() - expected);
    return "";
}

}  // namespace

MenuCatalogueCheck ReadMenuCatalogue(std::span<const uint8_t> image) {
    MenuCatalogueCheck check;
    if (image.size() < player_options::kOffset + sizeof(player_options::PlayerOptions)) return check;
    check.isMenu = player_options::IsMenu(player_options::Get(image.data()));
    if (!check.isMenu) return check;
    check.error = Walk(image, check);
    check.ok = check.error.empty();
    return check;
}

std::string TitleOf(const menu_catalogue::Entry& entry) {
    const auto* title = reinterpret_cast<const char*>(entry.title);
    return std::string(title, strnlen(title, menu_catalogue::kTitleBytes));
}
