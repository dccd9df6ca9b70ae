#pragma once
// Code page 932 (Shift-JIS): the byte counts of the dialog's limits and the bytes of the
// ROM name in the cartridge header. Texts live as UTF-8 everywhere else.
#include <optional>
#include <string>
#include <string_view>

// The CP932 bytes of a UTF-8 text; none when a character has no CP932 form.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);
// Bytes the text takes in CP932; a character without a CP932 form counts as 2 bytes.
size_t Cp932ByteCount(std::string_view utf8);
