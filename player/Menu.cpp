#include "player/Menu.h"

#include "format/Cartridge.h"
#include "format/MenuCatalogue.h"
#include "player/Display.h"
#include "player/Playback.h"
#include "player/hw/Bios.h"
#include "player/hw/Registers.h"

namespace {

using menu_catalogue::Entry;
using menu_catalogue::Frame;
using menu_catalogue::Header;

constexpr uint16_t kPlayKeys = hw::KEY_A | hw::KEY_START;

struct Catalogue {
    const Header* header;
    const Entry* entries;
};

const uint8_t* CartridgeAt(uint32_t offset) {
    return reinterpret_cast<const uint8_t*>(cartridge::kBaseAddress + offset);
}

// The catalogue, or a null header when it is not one this player reads: its magic, its count
// as the options block gives it, its pages and streams inside the cartridge, aligned.
Catalogue ReadCatalogue(const player_options::PlayerOptions& options) {
    const uint32_t at = options.layoutData[0];
    const uint32_t count = options.layoutData[1];
    if (at % menu_catalogue::kAlignment != 0 || at > cartridge::kMaxImageBytes - menu_catalogue::CatalogueBytes(count)) {
        return {nullptr, nullptr};
    }
    const auto* header = reinterpret_cast<const Header*>(CartridgeAt(at));
    const auto* entries = reinterpret_cast<const Entry*>(CartridgeAt(at + sizeof(Header)));
    const uint64_t pagesEnd = header->firstPageOffset + uint64_t(header->pageCount) * menu_catalogue::kPageBytes;
    if (!menu_catalogue::HasMagic(*header) || header->movieCount != count || count > menu_catalogue::kMaxMovies ||
        header->pageCount == 0 || header->firstPageOffset % menu_catalogue::kAlignment != 0 ||
        pagesEnd > cartridge::kMaxImageBytes) {
        return {nullptr, nullptr};
    }
    for (uint32_t i = 0; i < count; ++i) {
        const Entry& entry = entries[i];
        if (entry.page >= header->pageCount || !menu_catalogue::FrameFits(entry.highlight) ||
            entry.streamOffset % menu_catalogue::kAlignment != 0 || entry.streamOffset >= cartridge::kMaxImageBytes) {
            return {nullptr, nullptr};
        }
    }
    return {header, entries};
}

const uint16_t* PagePixels(const Catalogue& catalogue, uint32_t page) {
    return reinterpret_cast<const uint16_t*>(CartridgeAt(catalogue.header->firstPageOffset + page * menu_catalogue::kPageBytes));
}

uint16_t* Screen() { return reinterpret_cast<uint16_t*>(hw::kVram); }

void WaitForVBlank() {
    hw::MaskInterrupts();
    hw::BIOS_IRQ_FLAGS = 0;
    hw::WaitForInterrupt(hw::IRQ_VBLANK);
}

// The frame's lines of `line` pixels, from the page (null: in the highlight's colour).
void DrawFrame(const Frame& frame, const uint16_t* page) {
    constexpr uint32_t width = menu_catalogue::kPageWidth;
    constexpr uint32_t line = menu_catalogue::kHighlightLine;
    uint16_t* const screen = Screen();
    for (uint32_t y = frame.y; y < uint32_t(frame.y + frame.height); ++y) {
        const bool edge = y < frame.y + line || y >= frame.y + frame.height - line;
        for (uint32_t x = frame.x; x < uint32_t(frame.x + frame.width); ++x) {
            if (!edge && x >= frame.x + line && x < frame.x + frame.width - line) {
                x = frame.x + frame.width - line - 1;
                continue;
            }
            const uint32_t at = y * width + x;
            screen[at] = page != nullptr ? page[at] : menu_catalogue::kHighlightColour;
        }
    }
}

// Shows the page of movie `selected` with its highlight; the page itself only when it is not
// on the screen already (`shownPage`).
void Show(const Catalogue& catalogue, uint32_t selected, uint32_t& shownPage, uint32_t& framed) {
    const Entry& entry = catalogue.entries[selected];
    WaitForVBlank();
    if (entry.page != shownPage) {
        hw::Dma3Copy32(PagePixels(catalogue, entry.page), Screen(), kScreenWords);
        shownPage = entry.page;
    } else if (framed < catalogue.header->movieCount) {
        DrawFrame(catalogue.entries[framed].highlight, PagePixels(catalogue, shownPage));
    }
    DrawFrame(entry.highlight, nullptr);
    framed = selected;
}

uint16_t KeysDown() {
    return static_cast<uint16_t>(~hw::KEYINPUT & hw::kKeyMask);
}

// The first movie on `page`; `fallback` when none is.
uint32_t FirstOnPage(const Catalogue& catalogue, uint32_t page, uint32_t fallback) {
    for (uint32_t i = 0; i < catalogue.header->movieCount; ++i) {
        if (catalogue.entries[i].page == page) {
            return i;
        }
    }
    return fallback;
}

// The movie the keys pressed move the highlight to.
uint32_t Moved(const Catalogue& catalogue, uint32_t selected, uint16_t pressed) {
    const uint32_t count = catalogue.header->movieCount;
    const uint32_t pages = catalogue.header->pageCount;
    const uint32_t page = catalogue.entries[selected].page;
    if (pressed & hw::KEY_DOWN) return (selected + 1) % count;
    if (pressed & hw::KEY_UP) return (selected + count - 1) % count;
    if (pressed & hw::KEY_RIGHT) return FirstOnPage(catalogue, (page + 1) % pages, selected);
    if (pressed & hw::KEY_LEFT) return FirstOnPage(catalogue, (page + pages - 1) % pages, selected);
    return selected;
}

void WaitForRelease() {
    while (KeysDown() != 0) {
        WaitForVBlank();
    }
}

}  // namespace

void RunMenu(const player_options::PlayerOptions& options) {
    const Catalogue catalogue = ReadCatalogue(options);
    for (;;) {
        if (catalogue.header == nullptr) {
            WaitForVBlank();
            continue;
        }
        uint32_t selected = 0;
        uint32_t shownPage = catalogue.header->pageCount;
        uint32_t framed = catalogue.header->movieCount;
        uint16_t held = KeysDown();
        for (;;) {
            Show(catalogue, selected, shownPage, framed);
            uint16_t pressed = 0;
            while (pressed == 0) {
                WaitForVBlank();
                const uint16_t down = KeysDown();
                pressed = down & ~held;
                held = down;
            }
            if (pressed & kPlayKeys) {
                WaitForRelease();
                PlayMenuMovie(CartridgeAt(catalogue.entries[selected].streamOffset));
                WaitForRelease();
                held = 0;
                selected = (selected + 1) % catalogue.header->movieCount;
                shownPage = catalogue.header->pageCount;  // the movie drew over the page
                continue;
            }
            selected = Moved(catalogue, selected, pressed);
        }
    }
}
