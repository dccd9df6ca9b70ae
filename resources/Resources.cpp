#include "resources/Resources.h"

#include <array>
#include <cstddef>

// Generated at build time from the player image (EmbedFile.cmake).
extern const uint8_t kPlayerRom[];
extern const size_t kPlayerRomBytes;

namespace {

struct ModuleResource {
    std::string_view type;
    int id;
    std::span<const uint8_t> bytes;
};

}  // namespace

std::optional<std::span<const uint8_t>> FindModuleResource(std::string_view type, int id) {
    const std::array resources{
        ModuleResource{"BINARY", 130, {kPlayerRom, kPlayerRomBytes}},
    };
    for (const ModuleResource& resource : resources) {
        if (resource.type == type && resource.id == id) {
            return resource.bytes;
        }
    }
    return std::nullopt;
}
