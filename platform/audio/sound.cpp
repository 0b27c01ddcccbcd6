// The sound cues on SDL2_mixer. The seven WAV files are loaded once when the
// audio device opens, so starting a cue during play never reads a file or
// allocates. Every cue goes to channel 0: a new cue cuts the one still playing.
#include "platform/ports/sound.h"
#include "platform/storage/files.h"
#include "platform/storage/paths.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstring>
#include <string>

#include "game/state.h"

namespace {

constexpr int CUE_CHANNEL = 0;
constexpr int CUE_COUNT = 7;
constexpr const char* cueFiles[CUE_COUNT] = {
    "Cle.wav", "Ding.wav", "Electrocut.wav", "Clignot.wav", "Bravo.wav", "Rires.wav", "Fin.wav",
};

Mix_Chunk* cueChunks[CUE_COUNT] = {}; // absent when the file is missing or there is no device
bool audioOpen = false;
bool audioSubsystemOurs = false; // we started SDL's audio, so we stop it again
CueObserver cueObserver = nullptr;
bool muted = false;
bool paused = false;

// The channel's volume carries the mute, so a cue started while muted plays
// on in silence and is heard again the moment the mute is lifted.
void applyVolume() {
    if (audioOpen) Mix_Volume(CUE_CHANNEL, muted ? 0 : MIX_MAX_VOLUME);
}

Mix_Chunk* chunkFor(const char* file) {
    if (!audioOpen || file == nullptr) return nullptr;
    for (int i = 0; i < CUE_COUNT; ++i) {
        if (std::strcmp(file, cueFiles[i]) == 0) return cueChunks[i];
    }
    return nullptr;
}

} // namespace

void initSound() {
    if (audioOpen) return;
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return; // no audio: a silent game
        audioSubsystemOurs = true;
    }
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        if (audioSubsystemOurs) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystemOurs = false;
        return;
    }
    audioOpen = true;
    applyVolume();
    for (int i = 0; i < CUE_COUNT; ++i) {
        const std::string path = assetPath(cueFiles[i]);
        if (isPlainFile(path.c_str())) cueChunks[i] = Mix_LoadWAV(path.c_str());
    }
}

void releaseSound() {
    if (!audioOpen) return;
    Mix_HaltChannel(-1);
    for (Mix_Chunk*& chunk : cueChunks) {
        if (chunk) Mix_FreeChunk(chunk);
        chunk = nullptr;
    }
    Mix_CloseAudio();
    audioOpen = false;
    if (audioSubsystemOurs) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioSubsystemOurs = false;
}

void playCue(const char* file) {
    if (game.soundOn != 1) return;
    if (cueObserver) cueObserver(file);
    if (Mix_Chunk* chunk = chunkFor(file)) Mix_PlayChannel(CUE_CHANNEL, chunk, 0);
}

void setCueObserver(CueObserver observer) {
    cueObserver = observer;
}

void setSoundMuted(bool on) {
    muted = on;
    applyVolume();
}

bool soundMuted() {
    return muted;
}

void pauseCues(bool on) {
    if (on == paused) return;
    paused = on;
    if (!audioOpen) return;
    if (on)
        Mix_Pause(CUE_CHANNEL);
    else
        Mix_Resume(CUE_CHANNEL);
}
