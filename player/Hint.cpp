#include "player/Hint.h"

#include "format/Handheld.h"
#include "player/Display.h"
#include "player/HintFont.h"
#include "player/hw/Registers.h"

namespace {

using handheld::kScreenHeight;
using handheld::kScreenWidth;

constexpr uint32_t kBandLines = hint_font::kGlyphHeight + 4;
constexpr uint32_t kBandTop = kScreenHeight - kBandLines;
constexpr uint32_t kBandWords = kBandLines * kLineWords;
constexpr uint32_t kTextLeft = 6;
constexpr uint32_t kTextTop = 2;  // lines into the band
constexpr uint32_t kMostCharacters = (kScreenWidth - 2 * kTextLeft) / hint_font::kAdvance;
constexpr uint16_t kWhite = 0x7FFF;
// Both pixels of a word at a quarter of their brightness: each 5-bit channel shifted down by 2.
constexpr uint32_t kQuarterMask = 0x1CE71CE7;

// The screen's band as it was before the hint, and the band with the hint. External work RAM.
[[gnu::section(".ewram.noinit")]] uint32_t gSaved[kBandWords];
[[gnu::section(".ewram.noinit")]] uint32_t gComposed[kBandWords];
bool gShown = false;

uint32_t* BandOnScreen() {
    return reinterpret_cast<uint32_t*>(hw::kVram) + kBandTop * kLineWords;
}

// In two pieces of about 5,000 cycles, as the other copies of the playback loop.
void CopyBand(const uint32_t* from, uint32_t* to) {
    constexpr uint32_t kPieceWords = kBandWords / 2;
    for (uint32_t done = 0; done < kBandWords; done += kPieceWords) {
        const hw::InterruptsMasked masked;  // the handler uses DMA channel 3 too
        hw::Dma3Copy32(from + done, to + done, static_cast<uint16_t>(kPieceWords));
    }
}

struct Text {
    char characters[kMostCharacters];
    uint32_t length = 0;

    void Add(char character) {
        if (length < kMostCharacters) characters[length++] = character;
    }
    void Add(const char* text) {
        while (*text != '\0') Add(*text++);
    }
    // m:ss
    void AddTime(uint32_t seconds) {
        char digits[10];
        uint32_t count = 0;
        for (uint32_t minutes = seconds / 60; count == 0 || minutes > 0; minutes /= 10) {
            digits[count++] = static_cast<char>('0' + minutes % 10);
        }
        while (count > 0) Add(digits[--count]);
        Add(':');
        Add(static_cast<char>('0' + seconds % 60 / 10));
        Add(static_cast<char>('0' + seconds % 10));
    }
};

Text HintText(HintKind kind, uint32_t positionSeconds, uint32_t lengthSeconds) {
    Text text;
    if (kind == HintKind::kPaused) {
        text.Add("|  ");
        text.AddTime(positionSeconds);
        text.Add(" / ");
        text.AddTime(lengthSeconds);
    } else {
        text.Add(">  START ");
        text.AddTime(positionSeconds);
        text.Add("    <  SELECT ");
        text.AddTime(0);
    }
    return text;
}

void DrawText(const Text& text, uint16_t* band) {
    for (uint32_t at = 0; at < text.length; ++at) {
        const hint_font::Glyph* glyph = hint_font::Find(text.characters[at]);
        if (glyph == nullptr) continue;
        uint16_t* corner = band + kTextTop * kScreenWidth + kTextLeft + at * hint_font::kAdvance;
        for (uint32_t line = 0; line < hint_font::kGlyphHeight; ++line) {
            for (uint32_t column = 0; column < hint_font::kGlyphWidth; ++column) {
                if (glyph->lines[line] & (0x10 >> column)) corner[line * kScreenWidth + column] = kWhite;
            }
        }
    }
}

}  // namespace

void ShowHint(HintKind kind, uint32_t positionSeconds, uint32_t lengthSeconds) {
    CopyBand(BandOnScreen(), gSaved);
    for (uint32_t i = 0; i < kBandWords; ++i) {
        gComposed[i] = (gSaved[i] >> 2) & kQuarterMask;
    }
    DrawText(HintText(kind, positionSeconds, lengthSeconds), reinterpret_cast<uint16_t*>(gComposed));
    CopyBand(gComposed, BandOnScreen());
    gShown = true;
}

void RemoveHint() {
    if (gShown) {
        CopyBand(gSaved, BandOnScreen());
    }
    gShown = false;
}

bool HintShown() {
    return gShown;
}

void ForgetHint() {
    gShown = false;
}
