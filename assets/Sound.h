// Sound: the device, three effects with ten voices each and the looping music.
#pragma once

#include <dsound.h>

// Voices per effect: up to ten copies of one effect sound at once.
constexpr int SOUND_VOICES = 10;

// Effect types for PlaySE.
enum { SE_SHOT = 0, SE_BUBBLE = 1, SE_DUST = 2 };

extern IDirectSound8* g_pDSound;
extern IDirectSoundBuffer* g_pPrimary;
extern LONG g_SavedVolume; // the primary buffer's volume and pan at start, restored at the end
extern LONG g_SavedPan;
extern IDirectSoundBuffer8* g_ShotVoices[SOUND_VOICES];   // "sound/shot.wav", played at -1800
extern IDirectSoundBuffer8* g_BubbleVoices[SOUND_VOICES]; // "sound/bubble.wav", played at -1900
extern IDirectSoundBuffer8* g_DustVoices[SOUND_VOICES];   // "sound/dust.wav", played at -1500
extern IDirectSoundBuffer8* g_pBgm;                       // "sound/bgm.wav", looping

// Creates the device and the primary buffer (44100 Hz, 16-bit stereo) and saves its volume and pan.
void InitSound();
// Loads the three effects into their pools and the music; once per run (a later call finds them loaded).
// A file that cannot be loaded leaves its slots null.
void LoadSounds();
// The title's music step: starts the music looping unless it is already playing.
void StartMusic();
// Plays effect 0 (shot), 1 (bubble) or 2 (dust) on the first voice of its pool that is not playing; dropped
// when all ten are busy; other types do nothing.
void PlaySE(int type);
// Restores the primary buffer's volume and pan and releases every buffer and the device.
void UninitSound();
// The player's levels over the game's own mix: percentages of full gain for everything (the primary buffer's
// volume), the music and the effects (added to each voice's own volume, so the effects keep their
// balance), mute, and the music played quieter while a stage is paused.
struct SoundLevels {
    int master = 100;
    int music = 100;
    int effects = 100;
    bool muted = false;
    bool musicDucked = false;
};
// Applies levels now and to every voice played or loaded later.
void SetSoundLevels(const SoundLevels& levels);
const SoundLevels& CurrentSoundLevels();
// A percentage of full gain as a volume in hundredths of a decibel (0 % is DSBVOLUME_MIN, silence).
LONG PercentToVolume(int percent);
// Creates one buffer in *slot holding the samples of the WAV file at path. On failure *slot stays null, one
// line on stderr names the file, and false is returned.
bool LoadWave(IDirectSoundBuffer8** slot, const char* path);
