#pragma once
// The program's own module resources, found as the system finds them: by type name and
// numeric identifier. They are compiled into the program.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The bytes of resource (type, id), valid for the life of the program; nullopt when the
// program has no such resource. ("BINARY", 130) is the handheld player image (PlayerRom).
std::optional<std::span<const uint8_t>> FindModuleResource(std::string_view type, int id);
