#include "platform/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle OpenUtf8ToCp932() {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    return IconvHandle(cd == iconv_t(-1) ? nullptr : cd);
}

// Converts; a character without a CP932 form stops the conversion unless `substitute`,
// in which case it is replaced by two bytes "??" and the rest goes on.
std::optional<std::string> Convert(std::string_view utf8, bool substitute) {
    IconvHandle cd = OpenUtf8ToCp932();
    if (!cd) return std::nullopt;
    std::string out;
    std::string input(utf8);
    char* in = input.data();
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char buffer[256];
        char* to = buffer;
        size_t toLeft = sizeof buffer;
        const size_t result = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &to, &toLeft);
        out.append(buffer, size_t(to - buffer));
        if (result != size_t(-1) || errno == E2BIG) continue;
        if (!substitute) return std::nullopt;
        // Skip one UTF-8 character (a lead byte and its continuation bytes).
        out.append("??");
        ++in;
        --inLeft;
        while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
            ++in;
            --inLeft;
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    return Convert(utf8, false);
}

size_t Cp932ByteCount(std::string_view utf8) {
    const std::optional<std::string> bytes = Convert(utf8, true);
    return bytes ? bytes->size() : utf8.size();
}
