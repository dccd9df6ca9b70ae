#pragma once
// Scales sound by one common factor so that its loudest sample reaches `level` percent of full scale.
#include <cstdint>
#include <span>

void NormalizeSamples(std::span<int16_t> samples, int level);
