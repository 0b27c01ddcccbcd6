// Sound cues: short WAV files by bare name, one at a time, never blocking.
#pragma once

// Opens the audio device if there is one; without it every cue is silent.
void initSound();
void releaseSound();

// Starts the named cue when game.soundOn is set, cutting any cue still
// playing. A missing file or no audio device is silent.
void playCue(const char* file);

// Mute: nothing reaches the speakers, while the game still starts its cues
// exactly as before. Lasts until lifted; may be set before the device opens.
void setSoundMuted(bool muted);
bool soundMuted();
// Holds the cue that is playing where it is (the game paused), or lets it go on.
void pauseCues(bool paused);

// Called with the cue's name each time a cue is started (the headless trace).
using CueObserver = void (*)(const char* file);
void setCueObserver(CueObserver observer);
