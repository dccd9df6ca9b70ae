#pragma once
// The place in the movie kept across power-off in the cartridge's SRAM (format/ResumePoint.h).
#include <stdint.h>

// The record saved for the stream whose check is `streamCheck`; player_layout::kNoRecord when
// the SRAM holds none for it (blank, torn, or another movie's).
uint32_t ReadSavedRecord(uint32_t streamCheck);

void WriteSavedRecord(uint32_t streamCheck, uint32_t record);
