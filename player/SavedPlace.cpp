#include "player/SavedPlace.h"

#include <stddef.h>

#include "format/PlayerLayout.h"
#include "format/ResumePoint.h"
#include "player/hw/Registers.h"

namespace {

using resume_point::ResumePoint;
static_assert(resume_point::kSramAddress == hw::kSram, "the record starts the SRAM");

constexpr uint32_t kMagicAt = offsetof(ResumePoint, magic);
constexpr uint32_t kStreamCheckAt = offsetof(ResumePoint, streamCheck);
constexpr uint32_t kRecordAt = offsetof(ResumePoint, record);
constexpr uint32_t kChecksumAt = offsetof(ResumePoint, checksum);

uint32_t ReadWord(uint32_t offset) {
    uint32_t word = 0;
    for (uint32_t i = 0; i < 4; ++i) {
        word |= static_cast<uint32_t>(hw::ReadSram(offset + i)) << (8 * i);
    }
    return word;
}

void WriteWord(uint32_t offset, uint32_t word) {
    for (uint32_t i = 0; i < 4; ++i) {
        hw::WriteSram(offset + i, static_cast<uint8_t>(word >> (8 * i)));
    }
}

}  // namespace

uint32_t ReadSavedRecord(uint32_t streamCheck) {
    const ResumePoint point{ReadWord(kMagicAt), ReadWord(kStreamCheckAt), ReadWord(kRecordAt), ReadWord(kChecksumAt)};
    return resume_point::Holds(point, streamCheck) ? point.record : player_layout::kNoRecord;
}

void WriteSavedRecord(uint32_t streamCheck, uint32_t record) {
    const ResumePoint point = resume_point::Make(streamCheck, record);
    // The checksum last: a write cut short by the power leaves a record that does not hold.
    WriteWord(kChecksumAt, ~point.checksum);
    WriteWord(kMagicAt, point.magic);
    WriteWord(kStreamCheckAt, point.streamCheck);
    WriteWord(kRecordAt, point.record);
    WriteWord(kChecksumAt, point.checksum);
}
