#include "job/ImageSummary.h"

#include "format/Cartridge.h"

ImageSummary SummarizeImage(std::span<const uint8_t> image, std::optional<size_t> streamOffset) {
    ImageSummary summary;
    summary.imageBytes = image.size();
    summary.location = LocateStream(image, streamOffset);
    if (!summary.location.error.empty()) return summary;
    summary.menu = ReadMenuCatalogue(image);
    if (!summary.menu.isMenu) {
        summary.stream = ReadMovieStream(image, summary.location.offset);
    } else if (!summary.menu.streams.empty()) {
        summary.stream = summary.menu.streams.front();
        summary.location.offset = summary.menu.entries.front().streamOffset;
        summary.location.source = "the menu's catalogue, movie 1";
    } else {
        summary.stream.ok = true;  // the catalogue's fault is reported once, as the menu's
    }
    summary.figures = SummarizeStream(summary.stream.info);
    return summary;
}

uint32_t SmallestCartridgeFor(uint64_t imageBytes) {
    for (const uint32_t size : cartridge::kCommonSizes)
        if (imageBytes <= size) return size;
    return 0;
}
