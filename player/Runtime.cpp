// The two functions GCC may call even in freestanding code, for struct copies and clears.
// The optimize attribute keeps GCC from turning these loops back into calls to themselves.
#include <stddef.h>
#include <stdint.h>

#define KAVRO_NO_LOOP_TO_CALL __attribute__((optimize("no-tree-loop-distribute-patterns")))

extern "C" {

KAVRO_NO_LOOP_TO_CALL void* memset(void* destination, int value, size_t bytes) {
    auto* out = static_cast<uint8_t*>(destination);
    for (size_t i = 0; i < bytes; ++i) {
        out[i] = static_cast<uint8_t>(value);
    }
    return destination;
}

KAVRO_NO_LOOP_TO_CALL void* memcpy(void* destination, const void* source, size_t bytes) {
    auto* out = static_cast<uint8_t*>(destination);
    const auto* in = static_cast<const uint8_t*>(source);
    for (size_t i = 0; i < bytes; ++i) {
        out[i] = in[i];
    }
    return destination;
}

}  // extern "C"
