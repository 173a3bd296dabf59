// DirectSound 8 over SDL2 audio: one device, a primary buffer that carries the master volume and pan, and
// static secondary buffers (PCM 8 or 16 bit, mono or stereo, any rate) mixed by one mixer in SDL's audio
// callback into 44100 Hz 16-bit stereo.
//
// Without a usable audio device (no sound card, SDL_Init of audio or the device open fails)
// DirectSoundCreate8 still succeeds with an inert device: nothing is heard, but buffers keep their status and
// position as if they sounded, with time taken from the real clock (a one-shot stops after its natural
// duration, a looping buffer plays on), so game logic does not change.
#pragma once

#include "com.h"
#include "mmsystem.h"

#include <cstdint>

typedef const GUID* LPCGUID;
typedef IUnknown* LPUNKNOWN;

#define DS_OK ((HRESULT)0)
#define DSERR_ALLOCATED ((HRESULT)0x8878000A)
#define DSERR_CONTROLUNAVAIL ((HRESULT)0x8878001E)
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_INVALIDCALL ((HRESULT)0x88780032)
#define DSERR_GENERIC E_FAIL
#define DSERR_PRIOLEVELNEEDED ((HRESULT)0x88780046)
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_BADFORMAT ((HRESULT)0x88780064)
#define DSERR_UNSUPPORTED ((HRESULT)0x80004001)
#define DSERR_NODRIVER ((HRESULT)0x88780078)
#define DSERR_NOAGGREGATION ((HRESULT)0x80040110)
#define DSERR_BUFFERLOST ((HRESULT)0x88780096)
#define DSERR_NOINTERFACE E_NOINTERFACE

#define DSSCL_NORMAL 0x00000001
#define DSSCL_PRIORITY 0x00000002
#define DSSCL_EXCLUSIVE 0x00000003
#define DSSCL_WRITEPRIMARY 0x00000004

#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBCAPS_STATIC 0x00000002
#define DSBCAPS_LOCHARDWARE 0x00000004
#define DSBCAPS_LOCSOFTWARE 0x00000008
#define DSBCAPS_CTRL3D 0x00000010
#define DSBCAPS_CTRLFREQUENCY 0x00000020
#define DSBCAPS_CTRLPAN 0x00000040
#define DSBCAPS_CTRLVOLUME 0x00000080
#define DSBCAPS_CTRLPOSITIONNOTIFY 0x00000100
#define DSBCAPS_CTRLFX 0x00000200
#define DSBCAPS_STICKYFOCUS 0x00004000
#define DSBCAPS_GLOBALFOCUS 0x00008000
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000
#define DSBCAPS_MUTE3DATMAXDISTANCE 0x00020000
#define DSBCAPS_LOCDEFER 0x00040000

#define DSBPLAY_LOOPING 0x00000001

#define DSBSTATUS_PLAYING 0x00000001
#define DSBSTATUS_BUFFERLOST 0x00000002
#define DSBSTATUS_LOOPING 0x00000004

#define DSBLOCK_FROMWRITECURSOR 0x00000001
#define DSBLOCK_ENTIREBUFFER 0x00000002

#define DSBVOLUME_MIN (-10000)
#define DSBVOLUME_MAX 0
#define DSBPAN_LEFT (-10000)
#define DSBPAN_CENTER 0
#define DSBPAN_RIGHT 10000
#define DSBFREQUENCY_MIN 100
#define DSBFREQUENCY_MAX 200000
#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0x0FFFFFFF

// The size the game writes into dwSize (the record's size on the original 32-bit platform). A 64-bit
// sizeof(DSBUFFERDESC) is accepted as well.
#define DSBUFFERDESC_SIZE 36

struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes; // 0 for the primary buffer
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat; // null for the primary buffer
    GUID guid3DAlgorithm;
};
typedef DSBUFFERDESC* LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

inline constexpr GUID IID_IDirectSoundBuffer = {
    0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
inline constexpr GUID IID_IDirectSoundBuffer8 = {
    0x6825A449, 0x7524, 0x4D82, {0x92, 0x0F, 0x50, 0xE3, 0x6A, 0xB3, 0xAB, 0x1E}};
inline constexpr GUID IID_IDirectSound8 = {
    0xC50A7E93, 0xF395, 0x4834, {0x9E, 0xF6, 0x7F, 0xA9, 0x9D, 0xE5, 0x09, 0x66}};

// A sound buffer. Positions are byte offsets in the buffer's own format.
struct IDirectSoundBuffer : public IUnknown {
    virtual HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) = 0;
    virtual HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) = 0;
    virtual HRESULT GetVolume(LONG* volume) = 0;
    virtual HRESULT GetPan(LONG* pan) = 0;
    virtual HRESULT GetFrequency(DWORD* frequency) = 0;
    virtual HRESULT GetStatus(DWORD* status) = 0;
    // Up to two regions: [offset, end of buffer) and, when the range wraps, [0, rest).
    virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* ptr1, DWORD* bytes1, LPVOID* ptr2, DWORD* bytes2,
                         DWORD flags) = 0;
    // Starts (or, when playing, keeps playing, taking the new looping flag). A stopped buffer resumes from
    // its position; a one-shot that ran to its end is back at 0.
    virtual HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD position) = 0;
    virtual HRESULT SetFormat(LPCWAVEFORMATEX format) = 0;
    // Hundredths of a decibel, DSBVOLUME_MIN..0 (clamped): gain 10^(volume / 2000); DSBVOLUME_MIN is silence.
    virtual HRESULT SetVolume(LONG volume) = 0;
    // Hundredths of a decibel taken off the other side, DSBPAN_LEFT..DSBPAN_RIGHT (clamped).
    virtual HRESULT SetPan(LONG pan) = 0;
    virtual HRESULT SetFrequency(DWORD frequency) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unlock(LPVOID ptr1, DWORD bytes1, LPVOID ptr2, DWORD bytes2) = 0;
    virtual HRESULT Restore() = 0;
};
// The version 8 interface of a secondary buffer; the same object, reached through QueryInterface.
struct IDirectSoundBuffer8 : public IDirectSoundBuffer {};

struct IDirectSound : public IUnknown {
    virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, IDirectSoundBuffer** out, LPUNKNOWN outer) = 0;
    // A new buffer sharing the original's sample data, with its own position, status, volume and pan.
    virtual HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** out) = 0;
    virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD level) = 0;
    virtual HRESULT Compact() = 0;
};
struct IDirectSound8 : public IDirectSound {};

typedef IDirectSound8* LPDIRECTSOUND8;
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;
typedef IDirectSoundBuffer8* LPDIRECTSOUNDBUFFER8;

// Creates the device (device must be null: the default device; no aggregation).
HRESULT DirectSoundCreate8(LPCGUID device, IDirectSound8** out, LPUNKNOWN outer);

// ---- Test hooks -------------------------------------------------------------------------------------------

enum class DirectSoundMode {
    Live,   // an SDL audio device mixes in its callback
    Inert,  // no audio device: time runs on the real clock, nothing is heard
    Manual, // no audio device: time runs only through DirectSoundMixForTest
};
// While on, DirectSoundCreate8 opens no SDL audio and makes Manual devices.
void DirectSoundUseManualMixer(bool on);
DirectSoundMode DirectSoundGetMode(IDirectSound8* ds);
// Mixes frames of 44100 Hz 16-bit stereo (interleaved, 2 × frames values) into out exactly as the audio
// callback does, advancing every playing buffer.
void DirectSoundMixForTest(IDirectSound8* ds, int16_t* out, int frames);
