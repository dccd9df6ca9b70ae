#pragma once
// Temporary files of a run: a new, empty, uniquely named file in the temporary folder.
#include <optional>
#include <string>
#include <string_view>

// Creates "<prefix>XXXXXX" in $TMPDIR (else /tmp) and returns its path; none on failure.
std::optional<std::string> CreateTempFile(std::string_view prefix);
