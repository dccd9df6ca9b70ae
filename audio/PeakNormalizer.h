#pragma once
// Scales sound by one common factor so that its loudest sample reaches `level` percent of full scale.
#include <cstdint>
#include <span>

// In place. Silent sound, and sound already at full scale with level 100, is left unchanged.
// The factor and every product are formed in extended precision (long double, 80-bit here).
void NormalizeSamples(std::span<int16_t> samples, int level);
