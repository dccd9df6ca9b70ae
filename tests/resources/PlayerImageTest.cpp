// The player image that the programs carry as resource ("BINARY", 130): the built image,
// byte for byte, with a cartridge header that the handheld's start-up accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "resources/Resources.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::span<const uint8_t> PlayerImage() {
    const auto image = FindModuleResource("BINARY", 130);
    return image ? *image : std::span<const uint8_t>();
}

// CRC-16/MODBUS (reflected 0x8005, initial 0xFFFF); the boot logo's published value is 0xCF56.
uint16_t Crc16Modbus(std::span<const uint8_t> bytes) {
    uint16_t crc = 0xFFFF;
    for (uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? uint16_t(crc >> 1 ^ 0xA001) : uint16_t(crc >> 1);
        }
    }
    return crc;
}

TEST(ModuleResources, ThePlayerImageIsTheOneThePlayerBuildWrote) {
    const std::vector<uint8_t> built = ReadFile(KAVRO_PLAYER_IMAGE_FILE);
    ASSERT_FALSE(built.empty()) << KAVRO_PLAYER_IMAGE_FILE;
    const std::span<const uint8_t> embedded = PlayerImage();
    EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), built.begin(), built.end()));
}

TEST(ModuleResources, OnlyTheResourcesTheProgramHasAreFound) {
    EXPECT_FALSE(FindModuleResource("BINARY", 131));
    EXPECT_FALSE(FindModuleResource("RCDATA", 130));
    EXPECT_FALSE(FindModuleResource("", 130));
}

TEST(PlayerImageHeader, PassesTheChecksOfTheHandheldsStartUp) {
    const std::span<const uint8_t> image = PlayerImage();
    ASSERT_GT(image.size(), 0xC0u);

    // Offset 0: an ARM branch (condition "always", opcode 0xA) into the image, past the header.
    const uint32_t entry = image[0] | image[1] << 8 | image[2] << 16 | uint32_t(image[3]) << 24;
    EXPECT_EQ(entry >> 24, 0xEAu);
    const uint32_t target = 8 + 4 * (entry & 0x00FFFFFF);
    EXPECT_GE(target, 0xC0u);
    EXPECT_LT(target, image.size());

    EXPECT_EQ(Crc16Modbus(image.subspan(4, 156)), 0xCF56);
    const std::vector<uint8_t> logo = ReadFile(KAVRO_BOOT_LOGO_FILE);
    EXPECT_TRUE(std::equal(logo.begin(), logo.end(), image.begin() + 4, image.begin() + 160));

    EXPECT_EQ(image[0xB2], 0x96);
    const unsigned sum = std::accumulate(image.begin() + 0xA0, image.begin() + 0xBD, 0u);
    EXPECT_EQ(image[0xBD], uint8_t(0u - sum - 0x19u));
}

TEST(PlayerImageHeader, TitleIsUppercaseAsciiPaddedWithZeros) {
    const std::span<const uint8_t> title = PlayerImage().subspan(0xA0, 12);
    const std::string text(title.begin(), std::find(title.begin(), title.end(), 0));
    EXPECT_EQ(text, "KAVRO PLAYER");
}

TEST(PlayerImage, SizeIsAMultipleOfFourSoThatTheStreamBehindItIsAligned) {
    EXPECT_EQ(PlayerImage().size() % 4, 0u);
}

}  // namespace
