// Feeds any bytes to the sprite decoder. A surface that comes back must be a
// sane picture of bounded size whose every pixel can be read.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>

#include "platform/graphics/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SDL_Surface* surface = decodeBmp(data, size);
    if (surface == nullptr) return 0;
    if (surface->w <= 0 || surface->h <= 0 || surface->w > BMP_MAX_SIDE ||
        surface->h > BMP_MAX_SIDE || surface->pixels == nullptr ||
        surface->format->BytesPerPixel != 4 || surface->pitch < surface->w * 4)
        std::abort();
    // Touch every pixel so the sanitizers see any row that is not really there.
    uint32_t mix = 0;
    const auto* rows = static_cast<const uint8_t*>(surface->pixels);
    for (int y = 0; y < surface->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(rows + y * surface->pitch);
        for (int x = 0; x < surface->w; ++x) mix ^= row[x];
    }
    volatile uint32_t sink = mix;
    (void)sink;
    SDL_FreeSurface(surface);
    return 0;
}
