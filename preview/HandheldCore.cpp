#include "preview/HandheldCore.h"

#include "format/Cartridge.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

// flags.h first: the core's structures change shape with the build flags it records.
#include <mgba/flags.h>
#include <mgba/core/blip_buf.h>
#include <mgba/core/core.h>
#include <mgba/core/log.h>
#include <mgba-util/vfs.h>

namespace {

using cartridge::kMaxImageBytes;
using handheld::kScreenHeight;
using handheld::kScreenWidth;

// The core prints every log line to stdout unless a logger is installed; previews and
// tests want a quiet core (crashes are reported through Crashed()).
void DropLogLine(mLogger*, int, mLogLevel, const char*, va_list) {}

void SilenceCoreLog() {
    static mLogger quiet{DropLogLine, nullptr};
    mLogSetDefaultLogger(&quiet);
}

struct CoreDeleter {
    void operator()(mCore* core) const {
        mCoreConfigDeinit(&core->config);
        core->deinit(core);
    }
};
using CorePtr = std::unique_ptr<mCore, CoreDeleter>;

// Settings are put in the core's own configuration table and applied from there, without
// mCoreLoadConfig, which would also read the user's mGBA configuration files.
void ApplyFixedSettings(mCore* core) {
    mCoreInitConfig(core, nullptr);
    mCoreConfig* config = &core->config;
    mCoreConfigSetIntValue(config, "useBios", 0);  // the core's built-in start-up, no BIOS file
    mCoreConfigSetIntValue(config, "skipBios", 0);
    mCoreConfigSetValue(config, "idleOptimization", "ignore");  // run every cycle as hardware does
    mCoreConfigSetIntValue(config, "frameskip", 0);
    mCoreConfigSetIntValue(config, "volume", 0x100);  // without it the sound output is silent
    mCoreConfigSetIntValue(config, "mute", 0);
    mCoreLoadForeignConfig(core, config);
}

uint16_t ToBgr555(uint32_t pixel) {
    // color_t bytes are R, G, B and one byte that is not alpha; each 5-bit channel was
    // widened by repeating its top bits, so dropping 3 bits gives it back.
    const uint32_t r = (pixel >> 3) & 0x1F, g = (pixel >> 11) & 0x1F, b = (pixel >> 19) & 0x1F;
    return uint16_t(r | g << 5 | b << 10);
}

}  // namespace

struct HandheldCore::State {
    CorePtr core;
    std::vector<uint32_t> video = std::vector<uint32_t>(size_t(kScreenWidth) * kScreenHeight);
    std::vector<int16_t> sound;
    bool crashed = false;

    static void OnCrash(void* context) { static_cast<State*>(context)->crashed = true; }
};

HandheldCore::HandheldCore(std::unique_ptr<State> state) : state_(std::move(state)) {}

HandheldCore::~HandheldCore() = default;

HandheldCoreLoad HandheldCore::Load(std::span<const uint8_t> image, std::span<const uint8_t> saveMemory) {
    if (image.empty() || image.size() > kMaxImageBytes)
        return {nullptr, fmt::format("an image of {} bytes does not fit the cartridge space (1..{} bytes)",
                                     image.size(), kMaxImageBytes)};
    SilenceCoreLog();
    auto state = std::make_unique<State>();
    state->core.reset(mCoreCreate(mPLATFORM_GBA));
    mCore* core = state->core.get();
    if (!core) return {nullptr, "the mGBA core could not be created"};
    if (!core->init(core)) {
        (void)state->core.release();  // a failed init has freed the core itself
        return {nullptr, "the mGBA core could not be initialised"};
    }
    ApplyFixedSettings(core);
    core->setVideoBuffer(core, state->video.data(), kScreenWidth);

    VFile* file = VFileMemChunk(image.data(), image.size());
    if (!file) return {nullptr, "no memory for a copy of the image"};
    if (!core->isROM(file)) {
        file->close(file);
        return {nullptr, fmt::format("not a cartridge image: no ARM branch at its entry or no 0x{:02X} at offset 0x{:02X}",
                                     cartridge::kFixedByte, cartridge::kFixedByteOffset)};
    }
    if (!core->loadROM(core, file)) {  // on success the core owns the file
        file->close(file);
        return {nullptr, "the mGBA core refused the image"};
    }
    if (!saveMemory.empty()) {
        VFile* save = VFileMemChunk(saveMemory.data(), saveMemory.size());
        if (!save || !core->loadSave(core, save)) {  // on success the core owns the file
            if (save) save->close(save);
            return {nullptr, "the mGBA core refused the save memory"};
        }
    }
    mCoreCallbacks callbacks{};
    callbacks.context = state.get();
    callbacks.coreCrashed = &State::OnCrash;
    core->addCoreCallbacks(core, &callbacks);
    core->reset(core);
    for (int channel = 0; channel < 2; ++channel)
        blip_set_rates(core->getAudioChannel(core, channel), core->frequency(core), kCoreSoundRateHz);
    return {std::unique_ptr<HandheldCore>(new HandheldCore(std::move(state))), {}};
}

void HandheldCore::RunRefreshes(uint32_t count) {
    mCore* core = state_->core.get();
    for (uint32_t i = 0; i < count && !state_->crashed; ++i) {
        core->runFrame(core);
        CollectSound();
    }
}

void HandheldCore::CollectSound() {
    mCore* core = state_->core.get();
    blip_t* left = core->getAudioChannel(core, 0);
    blip_t* right = core->getAudioChannel(core, 1);
    const int available = std::min(blip_samples_avail(left), blip_samples_avail(right));
    if (available <= 0) return;
    const size_t start = state_->sound.size();
    state_->sound.resize(start + 2 * size_t(available));
    short* out = state_->sound.data() + start;
    blip_read_samples(left, out, available, 1);
    blip_read_samples(right, out + 1, available, 1);
}

uint32_t HandheldCore::RefreshCount() const {
    return state_->core->frameCounter(state_->core.get());
}

bool HandheldCore::Crashed() const {
    return state_->crashed;
}

std::vector<uint16_t> HandheldCore::ScreenBgr555() const {
    std::vector<uint16_t> screen(state_->video.size());
    for (size_t i = 0; i < screen.size(); ++i) screen[i] = ToBgr555(state_->video[i]);
    return screen;
}

std::vector<uint8_t> HandheldCore::ScreenRgb24() const {
    std::vector<uint8_t> rgb(state_->video.size() * 3);
    for (size_t i = 0; i < state_->video.size(); ++i) {
        const uint32_t pixel = state_->video[i];
        rgb[3 * i] = uint8_t(pixel);
        rgb[3 * i + 1] = uint8_t(pixel >> 8);
        rgb[3 * i + 2] = uint8_t(pixel >> 16);
    }
    return rgb;
}

std::vector<int16_t> HandheldCore::TakeSound() {
    return std::exchange(state_->sound, {});
}

uint8_t HandheldCore::Read8(uint32_t address) const {
    return uint8_t(state_->core->busRead8(state_->core.get(), address));
}

uint16_t HandheldCore::Read16(uint32_t address) const {
    return uint16_t(state_->core->busRead16(state_->core.get(), address));
}

std::vector<uint8_t> HandheldCore::ReadBytes(uint32_t address, size_t count) const {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = Read8(address + uint32_t(i));
    return bytes;
}

void HandheldCore::PressKeys(uint32_t keys) {
    state_->core->addKeys(state_->core.get(), keys);
}

void HandheldCore::ReleaseKeys(uint32_t keys) {
    state_->core->clearKeys(state_->core.get(), keys);
}

void HandheldCore::Reset() {
    mCore* core = state_->core.get();
    core->reset(core);
}

std::vector<uint8_t> HandheldCore::SaveMemory() const {
    mCore* core = state_->core.get();
    void* bytes = nullptr;
    const size_t size = core->savedataClone(core, &bytes);
    std::vector<uint8_t> memory(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size);
    free(bytes);
    return memory;
}
