#pragma once
// Text cut at every separator: times at their colons, options at their commas, playlist lines
// at their tabs.
#include <string_view>
#include <vector>

// The pieces between the separators, empty ones included: "a,,b" gives "a", "", "b".
std::vector<std::string_view> SplitFields(std::string_view text, char separator);
