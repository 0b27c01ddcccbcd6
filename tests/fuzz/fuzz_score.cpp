// Feeds any bytes to the hiscore decoder. Besides crashes and undefined
// behaviour it checks the decoder against the C library's own reading of the
// same eight bytes, and that an encodable hiscore survives the round trip.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/ports/hiscore.h"

namespace {
// strtoll reads what atoi reads; we only clamp it to 32 bits first.
int32_t referenceDecode(const uint8_t* data, size_t size) {
    char text[9] = {};
    std::memcpy(text, data, std::min<size_t>(size, 8));
    long long number = std::strtoll(text, nullptr, 10);
    number = std::clamp<long long>(number, INT32_MIN, INT32_MAX);
    return static_cast<int32_t>((number + 2) / 3);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int32_t hiscore = decodeHiscore(reinterpret_cast<const char*>(data), size);
    if (hiscore != referenceDecode(data, size)) std::abort();

    // The text of 3 * hiscore - 2 fits the eight bytes between -9999999 and 99999999.
    const int64_t stored = 3 * static_cast<int64_t>(hiscore) - 2;
    if (stored >= -9999999 && stored <= 99999999) {
        char bytes[8];
        encodeHiscore(hiscore, bytes);
        if (decodeHiscore(bytes, sizeof bytes) != hiscore) std::abort();
    }
    return 0;
}
