#include "assets/Sound.h"

#include "app/DataTree.h"
#include "app/WinMain.h"
#include "assets/WaveReader.h"
#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

IDirectSound8* g_pDSound = nullptr;
IDirectSoundBuffer* g_pPrimary = nullptr;
LONG g_SavedVolume = 0;
LONG g_SavedPan = 0;
IDirectSoundBuffer8* g_ShotVoices[SOUND_VOICES] = {};
IDirectSoundBuffer8* g_BubbleVoices[SOUND_VOICES] = {};
IDirectSoundBuffer8* g_DustVoices[SOUND_VOICES] = {};
IDirectSoundBuffer8* g_pBgm = nullptr;

namespace {

bool g_bSoundsLoaded = false;
SoundLevels s_Levels;

constexpr LONG kDuckedMusic = -1200; // the music 12 dB quieter while a stage is paused

struct Effect {
    IDirectSoundBuffer8** voices;
    const char* path;
    LONG volume;
};
const Effect kEffects[] = {
    {g_ShotVoices, "sound/shot.wav", -1800},
    {g_BubbleVoices, "sound/bubble.wav", -1900},
    {g_DustVoices, "sound/dust.wav", -1500},
};

template <class T> void ReleaseSlot(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

// Copies the voice 0 of a pool into voices 1 to 9; the copies share its samples.
void FillPool(IDirectSoundBuffer8** voices) {
    if (!voices[0]) return;
    for (int i = 1; i < SOUND_VOICES; ++i) {
        IDirectSoundBuffer* copy = nullptr;
        if (FAILED(g_pDSound->DuplicateSoundBuffer(voices[0], &copy)) || !copy) continue;
        copy->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&voices[i]));
        copy->Release();
    }
}

// Two volumes in hundredths of a decibel combined as gains: their product, down to silence.
LONG CombineVolumes(LONG a, LONG b) {
    if (a <= DSBVOLUME_MIN || b <= DSBVOLUME_MIN) return DSBVOLUME_MIN;
    return std::max<LONG>(DSBVOLUME_MIN, a + b);
}

LONG EffectsVolume() {
    return PercentToVolume(s_Levels.effects);
}

void ApplyLevels() {
    if (g_pPrimary) g_pPrimary->SetVolume(s_Levels.muted ? DSBVOLUME_MIN : PercentToVolume(s_Levels.master));
    if (g_pBgm)
        g_pBgm->SetVolume(
            CombineVolumes(PercentToVolume(s_Levels.music), s_Levels.musicDucked ? kDuckedMusic : 0));
}

bool Refuse(IDirectSoundBuffer8** slot, const char* path, const char* why) {
    ReleaseSlot(*slot);
    std::fprintf(stderr, "sound: cannot load %s (%s)\n", path, why);
    return false;
}

} // namespace

void InitSound() {
    DirectSoundCreate8(nullptr, &g_pDSound, nullptr);
    if (!g_pDSound) return;
    g_pDSound->SetCooperativeLevel(g_hWnd, DSSCL_PRIORITY);

    DSBUFFERDESC desc{};
    desc.dwSize = DSBUFFERDESC_SIZE;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = 0;
    desc.lpwfxFormat = nullptr;
    if (SUCCEEDED(g_pDSound->CreateSoundBuffer(&desc, &g_pPrimary, nullptr)) && g_pPrimary) {
        WAVEFORMATEX wfx{};
        wfx.wFormatTag = WAVE_FORMAT_PCM;
        wfx.nChannels = 2;
        wfx.nSamplesPerSec = 44100;
        wfx.nAvgBytesPerSec = 176400;
        wfx.nBlockAlign = 4;
        wfx.wBitsPerSample = 16;
        wfx.cbSize = 0;
        g_pPrimary->SetFormat(&wfx);
        g_pPrimary->GetVolume(&g_SavedVolume);
        g_pPrimary->GetPan(&g_SavedPan);
    }
    ApplyLevels();
    CoInitialize(nullptr);
}

bool LoadWave(IDirectSoundBuffer8** slot, const char* path) {
    if (!slot) return false;
    ReleaseSlot(*slot);
    if (!g_pDSound) return Refuse(slot, path, "no sound device");

    WaveReader reader;
    if (!reader.Open(path)) return Refuse(slot, path, "missing, truncated or not a RIFF/WAVE file");
    if (!IsPlayableWaveFormat(reader.GetFormat())) return Refuse(slot, path, "unsupported format");
    const DWORD size = reader.GetSize();

    DSBUFFERDESC desc{};
    desc.dwSize = DSBUFFERDESC_SIZE;
    desc.dwFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS |
                   DSBCAPS_GETCURRENTPOSITION2;
    desc.dwBufferBytes = size;
    desc.lpwfxFormat = const_cast<LPWAVEFORMATEX>(reader.GetFormat());
    IDirectSoundBuffer* temp = nullptr;
    if (FAILED(g_pDSound->CreateSoundBuffer(&desc, &temp, nullptr)) || !temp)
        return Refuse(slot, path, "no buffer for its samples");
    temp->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(slot));
    temp->Release();
    if (!*slot) return Refuse(slot, path, "no buffer for its samples");

    LPVOID p1 = nullptr, p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    HRESULT hr = (*slot)->Lock(0, size, &p1, &n1, &p2, &n2, 0);
    if (hr == DSERR_BUFFERLOST) {
        (*slot)->Restore();
        hr = (*slot)->Lock(0, size, &p1, &n1, &p2, &n2, 0);
    }
    if (FAILED(hr)) return Refuse(slot, path, "cannot lock its buffer");
    DWORD got1 = 0, got2 = 0;
    bool ok = reader.Read(static_cast<BYTE*>(p1), n1, &got1) && got1 == n1;
    if (ok && n2 != 0) ok = reader.Read(static_cast<BYTE*>(p2), n2, &got2) && got2 == n2;
    hr = (*slot)->Unlock(p1, n1, p2, n2);
    reader.Close();
    if (!ok) return Refuse(slot, path, "cut short");
    if (FAILED(hr)) return Refuse(slot, path, "cannot convert its samples");
    return true;
}

void LoadSounds() {
    if (g_bSoundsLoaded) return;
    g_bSoundsLoaded = true;
    NoteAssetFolder("sound");
    for (const Effect& e : kEffects)
        LoadWave(&e.voices[0], e.path);
    LoadWave(&g_pBgm, "sound/bgm.wav");
    ApplyLevels();
    if (!g_pDSound) return;
    for (const Effect& e : kEffects)
        FillPool(e.voices);
}

void StartMusic() {
    if (!g_pBgm) return;
    DWORD status = 0;
    g_pBgm->GetStatus(&status);
    if (!(status & DSBSTATUS_PLAYING)) g_pBgm->Play(0, 0, DSBPLAY_LOOPING);
}

void PlaySE(int type) {
    if (type < 0 || type >= (int)(sizeof(kEffects) / sizeof(kEffects[0]))) return;
    const Effect& e = kEffects[type];
    for (int i = 0; i < SOUND_VOICES; ++i) {
        IDirectSoundBuffer8* voice = e.voices[i];
        if (!voice) continue;
        DWORD status = 0;
        voice->GetStatus(&status);
        if (!(status & DSBSTATUS_PLAYING)) {
            voice->SetVolume(CombineVolumes(e.volume, EffectsVolume()));
            voice->Play(0, 0, 0);
            return;
        }
    }
}

void UninitSound() {
    if (g_pPrimary) {
        g_pPrimary->SetVolume(g_SavedVolume);
        g_pPrimary->SetPan(g_SavedPan);
    }
    ReleaseSlot(g_pBgm);
    for (const Effect& e : kEffects)
        for (int i = 0; i < SOUND_VOICES; ++i)
            ReleaseSlot(e.voices[i]);
    ReleaseSlot(g_pPrimary);
    ReleaseSlot(g_pDSound);
    CoUninitialize();
    g_bSoundsLoaded = false;
}

void SetSoundLevels(const SoundLevels& levels) {
    s_Levels = levels;
    ApplyLevels();
}

const SoundLevels& CurrentSoundLevels() {
    return s_Levels;
}

LONG PercentToVolume(int percent) {
    if (percent <= 0) return DSBVOLUME_MIN;
    if (percent >= 100) return 0;
    return std::max<LONG>(DSBVOLUME_MIN, (LONG)std::lround(2000.0 * std::log10(percent / 100.0)));
}
