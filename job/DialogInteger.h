#pragma once
// Reading a whole number from what a user typed, by the dialog's rules, which kavro-cli's
// options follow too: optional blanks or tabs, an optional sign, decimal digits, optional
// blanks or tabs. Only the first 31 bytes (code page 932) are read. Zero counts only when its
// text starts, after the blanks, with the digit 0.
#include <cstdint>
#include <optional>
#include <string_view>

// The number, saturated to the 32-bit range; none when the text is not a whole number.
std::optional<int32_t> ParseDialogInteger(std::string_view utf8);
