#include "platform/graphics/bmp.h"
#include "platform/storage/files.h"

#include <SDL2/SDL.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
// Larger than any picture we accept (2048 x 2048 x 4 plus headers and palette).
constexpr long MAX_FILE_BYTES = 32L * 1024 * 1024;

constexpr size_t FILE_HEADER = 14;
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;

uint32_t u16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}
uint32_t u32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Checks everything SDL's reader trusts before it allocates: the headers are
// whole, the sizes sane, the bit depth and compression supported, and the
// palette and every pixel row lie inside the bytes given.
bool headerIsSound(const uint8_t* b, size_t size) {
    if (size < FILE_HEADER + 12 || b[0] != 'B' || b[1] != 'M') return false;
    const uint64_t pixelOffset = u32(b + 10);
    const uint64_t infoSize = u32(b + 14);
    if (infoSize != 12 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 64 &&
        infoSize != 108 && infoSize != 124)
        return false;
    if (size < FILE_HEADER + infoSize) return false;

    int64_t width, height;
    uint32_t planes, bits, compression = BI_RGB, coloursUsed = 0;
    if (infoSize == 12) {
        width = u16(b + 18);
        height = u16(b + 20);
        planes = u16(b + 22);
        bits = u16(b + 24);
    } else {
        width = static_cast<int32_t>(u32(b + 18));
        height = static_cast<int32_t>(u32(b + 22)); // negative: rows stored top-down
        planes = u16(b + 26);
        bits = u16(b + 28);
        compression = u32(b + 30);
        coloursUsed = u32(b + 46);
    }
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0 || width > BMP_MAX_SIDE || height > BMP_MAX_SIDE) return false;
    if (planes != 1) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32)))
        return false;

    uint64_t paletteStart = FILE_HEADER + infoSize;
    if (compression == BI_BITFIELDS && infoSize == 40) paletteStart += 12; // the three masks
    if (paletteStart > size) return false;
    if (bits <= 8) {
        const uint64_t most = 1u << bits;
        if (coloursUsed > most) return false;
        const uint64_t colours = coloursUsed ? coloursUsed : most;
        const uint64_t entry = infoSize == 12 ? 3 : 4;
        if (paletteStart + colours * entry > size) return false;
    }

    const uint64_t rowBytes = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    if (pixelOffset < FILE_HEADER + infoSize) return false;
    return pixelOffset + rowBytes * static_cast<uint64_t>(height) <= size;
}

// The key colour must compare equal as a whole pixel, so the unused top byte
// is cleared everywhere.
void clearUnusedByte(SDL_Surface* s) {
    for (int y = 0; y < s->h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x) row[x] &= 0x00FFFFFF;
    }
}
} // namespace

SDL_Surface* decodeBmp(const void* bytes, size_t size) {
    if (!bytes || !headerIsSound(static_cast<const uint8_t*>(bytes), size)) return nullptr;
    if (size > static_cast<size_t>(INT32_MAX)) return nullptr;
    SDL_RWops* in = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (!in) return nullptr;
    SDL_Surface* read = SDL_LoadBMP_RW(in, 1);
    if (!read) return nullptr;
    SDL_Surface* picture = SDL_ConvertSurfaceFormat(read, SDL_PIXELFORMAT_XRGB8888, 0);
    SDL_FreeSurface(read);
    if (!picture) return nullptr;
    if (SDL_MUSTLOCK(picture) && SDL_LockSurface(picture) != 0) {
        SDL_FreeSurface(picture);
        return nullptr;
    }
    clearUnusedByte(picture);
    if (SDL_MUSTLOCK(picture)) SDL_UnlockSurface(picture);
    return picture;
}

SDL_Surface* loadBmpFile(const char* path) {
    if (!isPlainFile(path)) return nullptr;
    std::FILE* f = openFile(path, "rb");
    if (!f) return nullptr;
    std::vector<uint8_t> bytes;
    long length = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    if (length > 0 && length <= MAX_FILE_BYTES && std::fseek(f, 0, SEEK_SET) == 0) {
        bytes.resize(static_cast<size_t>(length));
        if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
    }
    std::fclose(f);
    return bytes.empty() ? nullptr : decodeBmp(bytes.data(), bytes.size());
}
