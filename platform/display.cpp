// Placeholder until the software back buffer lands.
#include "platform/display.h"

const SpriteInfo spriteTable[SPRITE_COUNT + 1] = {};
namespace {
long flips = 0;
Presenter presenter = nullptr;
} // namespace
bool initDisplay() { return true; }
bool initSurfaces() { return true; }
void releaseDisplay() {}
bool displayReady() { return false; }
void blitSprite(int, int, SpriteId, int, int) {}
int drawText(SpriteId, const char*, int, int, Rgb) { return 0; }
void flipFrame() {
    ++flips;
    if (presenter) presenter(nullptr, 0);
}
long flipCount() { return flips; }
void setPresenter(Presenter p) { presenter = p; }
const uint32_t* backBufferPixels() { return nullptr; }
int backBufferPitch() { return 0; }
bool writeScreenshot(const char*, const uint32_t*, int) { return false; }
