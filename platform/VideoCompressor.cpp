#include "platform/VideoCompressor.h"

#include <map>
#include <mutex>
#include <utility>

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::pair<uint32_t, uint32_t>, VideoCompressorFactory> factories;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

void ICInstall(uint32_t fccType, uint32_t fccHandler, VideoCompressorFactory factory) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.factories[{fccType, fccHandler}] = std::move(factory);
}

void ICInstallIfAbsent(uint32_t fccType, uint32_t fccHandler, VideoCompressorFactory factory) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.factories.try_emplace({fccType, fccHandler}, std::move(factory));
}

void ICRemove(uint32_t fccType, uint32_t fccHandler) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.factories.erase({fccType, fccHandler});
}

std::unique_ptr<VideoCompressor> ICLocate(uint32_t fccType, uint32_t fccHandler,
                                          const BitmapInfoHeader* input,
                                          const BitmapInfoHeader* output, uint16_t mode) {
    if (mode != ICMODE_COMPRESS) return nullptr;
    VideoCompressorFactory factory;
    {
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        auto found = registry.factories.find({fccType, fccHandler});
        if (found == registry.factories.end()) return nullptr;
        factory = found->second;
    }
    std::unique_ptr<VideoCompressor> compressor = factory();
    if (!compressor || compressor->CompressQuery(input, output) != ICERR_OK) return nullptr;
    return compressor;
}
