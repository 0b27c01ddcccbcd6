// BMP reading for the sprites: one decoder that takes the file's bytes from
// memory, so a file on disk and a buffer of untrusted bytes go the same way.
// Pictures come out in the back buffer's format (32-bit 0x00RRGGBB), pure
// green staying exactly 0x00FF00 so the colour key still matches it.
#pragma once

#include <cstddef>

struct SDL_Surface;

// The largest width or height a sprite file may have.
constexpr int BMP_MAX_SIDE = 2048;

// Decodes a whole BMP file held in memory. Returns a new surface the caller
// frees, or nullptr for anything malformed, truncated, oversized or of a kind
// not supported (1, 4, 8, 16, 24 and 32 bits, uncompressed or bit fields).
SDL_Surface* decodeBmp(const void* bytes, size_t size);

// Reads the named file (of bounded size) and decodes it; nullptr when the file
// is missing, unreadable or not a BMP that decodeBmp accepts.
SDL_Surface* loadBmpFile(const char* path);
