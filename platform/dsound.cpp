// DirectSound over SDL2 audio. Each buffer's samples are converted once (when unlocked, or when first played)
// to the device format, 44100 Hz 16-bit stereo, by SDL's audio stream; the mixer then only adds scaled
// samples and saturates. Everything the audio callback reads changes under SDL_LockAudioDevice.
#include "dsound.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr GUID kIID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr int kDeviceRate = 44100;
constexpr int kDeviceChannels = 2;
// The longest converted buffer we accept (about 12 minutes of device audio, 128 MB).
constexpr size_t kMaxDeviceFrames = size_t(32) << 20;

bool g_ManualMixer = false;

// DSBVOLUME_MIN is silence, as on Windows, not merely 100 dB down.
float GainOf(LONG hundredthsOfDb) {
    if (hundredthsOfDb <= DSBVOLUME_MIN) return 0.0f;
    return (float)std::pow(10.0, hundredthsOfDb / 2000.0);
}

int16_t Saturate(float v) {
    if (v >= 32767.0f) return 32767;
    if (v <= -32768.0f) return -32768;
    return (int16_t)std::lrintf(v);
}

bool IsPcmFormat(const WAVEFORMATEX* f) {
    return f && f->wFormatTag == WAVE_FORMAT_PCM && (f->nChannels == 1 || f->nChannels == 2) &&
           (f->wBitsPerSample == 8 || f->wBitsPerSample == 16) && f->nSamplesPerSec >= DSBFREQUENCY_MIN &&
           f->nSamplesPerSec <= DSBFREQUENCY_MAX && f->nBlockAlign == f->nChannels * f->wBitsPerSample / 8;
}

WAVEFORMATEX PcmFormat(WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = (WORD)(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    f.cbSize = 0;
    return f;
}

// Moves up to want frames the stream has ready to the end of out.
bool Drain(SDL_AudioStream* s, std::vector<int16_t>& out, size_t want) {
    int avail = SDL_AudioStreamAvailable(s);
    if (avail <= 0 || want == 0) return avail >= 0;
    size_t frames = std::min((size_t)avail / 4, want);
    size_t old = out.size();
    out.resize(old + frames * 2);
    int got = SDL_AudioStreamGet(s, out.data() + old, (int)(frames * 4));
    if (got < 0) return false;
    out.resize(old + (size_t)got / 2);
    return true;
}

// Converts whole frames of raw samples in format f to device samples with SDL's audio stream. The stream
// keeps the last few hundred frames back for its filter, so silence follows the samples until all of them
// are out; the result is exactly frames × 44100 / rate device frames long.
HRESULT ConvertToDevice(const WAVEFORMATEX& f, const std::vector<uint8_t>& raw, std::vector<int16_t>& out) {
    out.clear();
    const size_t frames = raw.size() / f.nBlockAlign;
    const size_t expected = (size_t)((uint64_t)frames * kDeviceRate / f.nSamplesPerSec);
    if (expected == 0) return DS_OK;
    if (expected > kMaxDeviceFrames) return DSERR_OUTOFMEMORY;
    SDL_AudioFormat from = f.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    SDL_AudioStream* s = SDL_NewAudioStream(from, (Uint8)f.nChannels, (int)f.nSamplesPerSec, AUDIO_S16SYS,
                                            kDeviceChannels, kDeviceRate);
    if (!s) return DSERR_GENERIC;
    HRESULT hr = DS_OK;
    try {
        out.reserve(expected * 2);
        const size_t chunk = 65536 - 65536 % f.nBlockAlign;
        const size_t bytes = frames * f.nBlockAlign;
        for (size_t at = 0; at < bytes && hr == DS_OK; at += chunk) {
            size_t n = std::min(chunk, bytes - at);
            if (SDL_AudioStreamPut(s, raw.data() + at, (int)n) != 0 ||
                !Drain(s, out, expected - out.size() / 2))
                hr = DSERR_GENERIC;
        }
        const std::vector<uint8_t> silence((size_t)4096 * f.nBlockAlign, f.wBitsPerSample == 8 ? 0x80 : 0);
        for (int pads = 0; hr == DS_OK && out.size() / 2 < expected && pads < 64; ++pads) {
            if (SDL_AudioStreamPut(s, silence.data(), (int)silence.size()) != 0 ||
                !Drain(s, out, expected - out.size() / 2))
                hr = DSERR_GENERIC;
        }
        out.resize(expected * 2, 0);
    } catch (const std::bad_alloc&) {
        hr = DSERR_OUTOFMEMORY;
    }
    SDL_FreeAudioStream(s);
    if (hr != DS_OK) out.clear();
    return hr;
}

// Sample data, shared by a buffer and its duplicates.
struct SampleData {
    WAVEFORMATEX format{};
    std::vector<uint8_t> raw; // in the buffer's format, what Lock hands out
    std::vector<int16_t> pcm; // the same, converted to device stereo frames
    bool converted = false;
};

class SoundBuffer;

class Mixer {
  public:
    DirectSoundMode mode = DirectSoundMode::Manual;
    SDL_AudioDeviceID device = 0;
    std::vector<SoundBuffer*> buffers; // every secondary buffer alive
    SoundBuffer* primary = nullptr;
    float masterLeft = 1.0f, masterRight = 1.0f;
    std::vector<float> accum;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    uint64_t framesRendered = 0; // inert devices: frames of real time already accounted for

    ~Mixer() {
        if (device) {
            SDL_CloseAudioDevice(device);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    void Lock() {
        if (device) SDL_LockAudioDevice(device);
    }
    void Unlock() {
        if (device) SDL_UnlockAudioDevice(device);
    }
    // Mixes frames into out, or with a null out only advances the buffers.
    void Render(int16_t* out, size_t frames);
    // Inert devices: advances every buffer by the real time passed since the last call.
    void CatchUp() {
        if (mode != DirectSoundMode::Inert) return;
        auto us =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        uint64_t due = (uint64_t)us.count() * kDeviceRate / 1000000;
        if (due > framesRendered) Render(nullptr, (size_t)(due - framesRendered));
        framesRendered = due;
    }
    static void SDLCALL Callback(void* user, Uint8* stream, int len) {
        static_cast<Mixer*>(user)->Render(reinterpret_cast<int16_t*>(stream), (size_t)len / 4);
    }
};

struct MixerLock {
    explicit MixerLock(Mixer& m) : mixer(m) { mixer.Lock(); }
    ~MixerLock() { mixer.Unlock(); }
    Mixer& mixer;
};

class SoundBuffer final : public IDirectSoundBuffer8 {
  public:
    SoundBuffer(std::shared_ptr<Mixer> mixer, DWORD flags, std::shared_ptr<SampleData> data)
        : m_Mixer(std::move(mixer)), m_Data(std::move(data)), m_Flags(flags) {
        MixerLock lock(*m_Mixer);
        if (m_Data)
            m_Mixer->buffers.push_back(this);
        else
            m_Mixer->primary = this;
    }
    ~SoundBuffer() override {
        MixerLock lock(*m_Mixer);
        if (!m_Data) {
            if (m_Mixer->primary == this) m_Mixer->primary = nullptr;
            return;
        }
        auto& list = m_Mixer->buffers;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    bool IsPrimary() const { return !m_Data; }
    const std::shared_ptr<Mixer>& GetMixer() const { return m_Mixer; }

    SoundBuffer* Duplicate() {
        auto* copy = new SoundBuffer(m_Mixer, m_Flags, m_Data);
        MixerLock lock(*m_Mixer);
        copy->m_Volume = m_Volume;
        copy->m_Pan = m_Pan;
        copy->UpdateGains();
        return copy;
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_INVALIDARG;
        *ppv = nullptr;
        if (riid == kIID_IUnknown || riid == IID_IDirectSoundBuffer) {
            *ppv = static_cast<IDirectSoundBuffer*>(this);
        } else if (riid == IID_IDirectSoundBuffer8 && !IsPrimary()) {
            *ppv = static_cast<IDirectSoundBuffer8*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override {
        m_Mixer->CatchUp();
        MixerLock lock(*m_Mixer);
        DWORD at = IsPrimary() ? 0 : PositionInBytes();
        if (playCursor) *playCursor = at;
        if (writeCursor) *writeCursor = at;
        return DS_OK;
    }
    HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, DWORD* sizeWritten) override {
        if (!format) {
            if (!sizeWritten) return DSERR_INVALIDPARAM;
            *sizeWritten = sizeof(WAVEFORMATEX);
            return DS_OK;
        }
        if (sizeAllocated < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
        *format = IsPrimary() ? m_PrimaryFormat : m_Data->format;
        if (sizeWritten) *sizeWritten = sizeof(WAVEFORMATEX);
        return DS_OK;
    }
    HRESULT GetVolume(LONG* volume) override {
        if (!volume) return DSERR_INVALIDPARAM;
        *volume = m_Volume;
        return DS_OK;
    }
    HRESULT GetPan(LONG* pan) override {
        if (!pan) return DSERR_INVALIDPARAM;
        *pan = m_Pan;
        return DS_OK;
    }
    HRESULT GetFrequency(DWORD* frequency) override {
        if (!frequency) return DSERR_INVALIDPARAM;
        *frequency = IsPrimary() ? m_PrimaryFormat.nSamplesPerSec : m_Data->format.nSamplesPerSec;
        return DS_OK;
    }
    HRESULT GetStatus(DWORD* status) override {
        if (!status) return DSERR_INVALIDPARAM;
        m_Mixer->CatchUp();
        MixerLock lock(*m_Mixer);
        *status = m_Playing ? (DSBSTATUS_PLAYING | (m_Looping ? DSBSTATUS_LOOPING : 0)) : 0;
        return DS_OK;
    }
    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* ptr1, DWORD* bytes1, LPVOID* ptr2, DWORD* bytes2,
                 DWORD flags) override {
        if (IsPrimary()) return DSERR_PRIOLEVELNEEDED;
        if (!ptr1 || !bytes1) return DSERR_INVALIDPARAM;
        *ptr1 = nullptr;
        *bytes1 = 0;
        if (ptr2) *ptr2 = nullptr;
        if (bytes2) *bytes2 = 0;
        const DWORD size = (DWORD)m_Data->raw.size();
        if (flags & DSBLOCK_FROMWRITECURSOR) GetCurrentPosition(nullptr, &offset);
        if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
        if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
        DWORD first = std::min(bytes, size - offset);
        *ptr1 = m_Data->raw.data() + offset;
        *bytes1 = first;
        DWORD rest = bytes - first;
        if (ptr2 && rest > 0) {
            *ptr2 = m_Data->raw.data();
            if (bytes2) *bytes2 = rest;
        }
        return DS_OK;
    }
    HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) override {
        (void)reserved1;
        (void)priority;
        if (!IsPrimary() && !m_Data->converted) {
            HRESULT hr = Reconvert();
            if (FAILED(hr)) return hr;
        }
        m_Mixer->CatchUp();
        MixerLock lock(*m_Mixer);
        m_Looping = (flags & DSBPLAY_LOOPING) != 0;
        m_Playing = true;
        return DS_OK;
    }
    HRESULT SetCurrentPosition(DWORD position) override {
        if (IsPrimary()) return DSERR_INVALIDCALL;
        m_Mixer->CatchUp();
        MixerLock lock(*m_Mixer);
        size_t srcFrames = m_Data->raw.size() / m_Data->format.nBlockAlign;
        if (position >= m_Data->raw.size() || srcFrames == 0) return DSERR_INVALIDPARAM;
        size_t total = m_Data->pcm.size() / 2;
        m_Pos = (size_t)((uint64_t)(position / m_Data->format.nBlockAlign) * total / srcFrames);
        return DS_OK;
    }
    HRESULT SetFormat(LPCWAVEFORMATEX format) override {
        if (!IsPrimary()) return DSERR_INVALIDCALL;
        if (!IsPcmFormat(format)) return DSERR_BADFORMAT;
        // The device keeps mixing at 44100 Hz 16-bit stereo; SDL adapts it to the hardware.
        m_PrimaryFormat = *format;
        m_PrimaryFormat.cbSize = 0;
        return DS_OK;
    }
    HRESULT SetVolume(LONG volume) override {
        MixerLock lock(*m_Mixer);
        m_Volume = std::clamp<LONG>(volume, DSBVOLUME_MIN, DSBVOLUME_MAX);
        UpdateGains();
        return DS_OK;
    }
    HRESULT SetPan(LONG pan) override {
        MixerLock lock(*m_Mixer);
        m_Pan = std::clamp<LONG>(pan, DSBPAN_LEFT, DSBPAN_RIGHT);
        UpdateGains();
        return DS_OK;
    }
    HRESULT SetFrequency(DWORD frequency) override {
        // Only the original rate: a rate change would need a conversion per voice.
        DWORD rate = IsPrimary() ? m_PrimaryFormat.nSamplesPerSec : m_Data->format.nSamplesPerSec;
        return (frequency == 0 || frequency == rate) ? DS_OK : DSERR_UNSUPPORTED;
    }
    HRESULT Stop() override {
        m_Mixer->CatchUp();
        MixerLock lock(*m_Mixer);
        m_Playing = false;
        return DS_OK;
    }
    HRESULT Unlock(LPVOID ptr1, DWORD bytes1, LPVOID ptr2, DWORD bytes2) override {
        if (IsPrimary()) return DSERR_PRIOLEVELNEEDED;
        if (!Within(ptr1, bytes1) || !Within(ptr2, bytes2)) return DSERR_INVALIDPARAM;
        return Reconvert();
    }
    HRESULT Restore() override { return DS_OK; }

    // Adds this buffer's next frames to accum (scaled by its gains and the master's), or with a null accum
    // only advances. Called with the mixer locked.
    void MixInto(float* accum, size_t frames, float masterLeft, float masterRight) {
        if (!m_Playing) return;
        const std::vector<int16_t>& pcm = m_Data->pcm;
        const size_t total = pcm.size() / 2;
        if (total == 0) {
            if (!m_Looping) m_Playing = false;
            return;
        }
        if (m_Pos >= total) m_Pos = 0;
        const float gl = m_GainLeft * masterLeft, gr = m_GainRight * masterRight;
        size_t done = 0;
        while (done < frames) {
            if (!accum && m_Looping) {
                m_Pos = (m_Pos + (frames - done)) % total;
                return;
            }
            size_t n = std::min(total - m_Pos, frames - done);
            if (accum) {
                const int16_t* src = pcm.data() + 2 * m_Pos;
                float* dst = accum + 2 * done;
                for (size_t i = 0; i < n; ++i) {
                    dst[2 * i] += static_cast<float>(src[2 * i]) * gl;
                    dst[2 * i + 1] += static_cast<float>(src[2 * i + 1]) * gr;
                }
            }
            done += n;
            m_Pos += n;
            if (m_Pos == total) {
                m_Pos = 0; // a one-shot that ran out is back at the start
                if (!m_Looping) {
                    m_Playing = false;
                    return;
                }
            }
        }
    }

  private:
    void UpdateGains() {
        float g = GainOf(m_Volume);
        float left = g * (m_Pan > 0 ? GainOf(-m_Pan) : 1.0f);
        float right = g * (m_Pan < 0 ? GainOf(m_Pan) : 1.0f);
        if (IsPrimary()) {
            m_Mixer->masterLeft = left;
            m_Mixer->masterRight = right;
        } else {
            m_GainLeft = left;
            m_GainRight = right;
        }
    }
    DWORD PositionInBytes() const {
        size_t total = m_Data->pcm.size() / 2;
        size_t srcFrames = m_Data->raw.size() / m_Data->format.nBlockAlign;
        if (total == 0) return 0;
        uint64_t frame = (uint64_t)std::min(m_Pos, total) * srcFrames / total;
        return (DWORD)(frame * m_Data->format.nBlockAlign);
    }
    bool Within(const void* p, DWORD bytes) const {
        if (!p) return bytes == 0;
        uintptr_t a = (uintptr_t)p, lo = (uintptr_t)m_Data->raw.data();
        return a >= lo && a - lo <= m_Data->raw.size() && bytes <= m_Data->raw.size() - (a - lo);
    }
    // Converts the shared samples again and hands them to the mixer.
    HRESULT Reconvert() {
        std::vector<int16_t> pcm;
        HRESULT hr = ConvertToDevice(m_Data->format, m_Data->raw, pcm);
        if (FAILED(hr)) return hr;
        MixerLock lock(*m_Mixer);
        m_Data->pcm.swap(pcm);
        m_Data->converted = true;
        return DS_OK;
    }

    std::shared_ptr<Mixer> m_Mixer;
    std::shared_ptr<SampleData> m_Data; // null for the primary buffer
    DWORD m_Flags;
    WAVEFORMATEX m_PrimaryFormat = PcmFormat(2, 44100, 16);
    // Read by the mixer.
    bool m_Playing = false;
    bool m_Looping = false;
    size_t m_Pos = 0; // in device frames
    LONG m_Volume = 0;
    LONG m_Pan = 0;
    float m_GainLeft = 1.0f, m_GainRight = 1.0f;
};

void Mixer::Render(int16_t* out, size_t frames) {
    float* acc = nullptr;
    if (out) {
        if (accum.size() < frames * 2) accum.resize(frames * 2);
        std::fill_n(accum.data(), frames * 2, 0.0f);
        acc = accum.data();
    }
    for (SoundBuffer* b : buffers)
        b->MixInto(acc, frames, masterLeft, masterRight);
    if (out)
        for (size_t i = 0; i < frames * 2; ++i)
            out[i] = Saturate(acc[i]);
}

class DirectSoundDevice final : public IDirectSound8 {
  public:
    explicit DirectSoundDevice(std::shared_ptr<Mixer> mixer) : m_Mixer(std::move(mixer)) {}
    Mixer& GetMixer() { return *m_Mixer; }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_INVALIDARG;
        *ppv = nullptr;
        if (!(riid == kIID_IUnknown || riid == IID_IDirectSound8)) return E_NOINTERFACE;
        *ppv = static_cast<IDirectSound8*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, IDirectSoundBuffer** out, LPUNKNOWN outer) override {
        if (!desc || !out) return DSERR_INVALIDPARAM;
        *out = nullptr;
        if (outer) return DSERR_NOAGGREGATION;
        if (desc->dwSize != DSBUFFERDESC_SIZE && desc->dwSize != sizeof(DSBUFFERDESC))
            return DSERR_INVALIDPARAM;
        if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
            if (desc->dwBufferBytes != 0 || desc->lpwfxFormat) return DSERR_INVALIDPARAM;
            if (SoundBuffer* existing = m_Mixer->primary) { // there is one primary buffer
                existing->AddRef();
                *out = existing;
                return DS_OK;
            }
            *out = new SoundBuffer(m_Mixer, desc->dwFlags, nullptr);
            return DS_OK;
        }
        if (!IsPcmFormat(desc->lpwfxFormat)) return DSERR_BADFORMAT;
        if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
        std::shared_ptr<SampleData> data;
        try {
            data = std::make_shared<SampleData>();
            data->raw.assign(desc->dwBufferBytes, desc->lpwfxFormat->wBitsPerSample == 8 ? 0x80 : 0);
        } catch (const std::bad_alloc&) {
            return DSERR_OUTOFMEMORY;
        }
        data->format = *desc->lpwfxFormat;
        data->format.cbSize = 0;
        *out = new SoundBuffer(m_Mixer, desc->dwFlags, std::move(data));
        return DS_OK;
    }
    HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** out) override {
        if (!original || !out) return DSERR_INVALIDPARAM;
        *out = nullptr;
        auto* src = dynamic_cast<SoundBuffer*>(original);
        if (!src || src->GetMixer() != m_Mixer) return DSERR_INVALIDPARAM;
        if (src->IsPrimary()) return DSERR_INVALIDCALL;
        *out = src->Duplicate();
        return DS_OK;
    }
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD level) override {
        (void)hwnd; // SDL needs no window for audio
        if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
        return DS_OK;
    }
    HRESULT Compact() override { return DS_OK; }

  private:
    std::shared_ptr<Mixer> m_Mixer;
};

// Opens the SDL audio device for a mixer; false leaves the mixer inert.
bool OpenDevice(Mixer& mixer) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "sound: no audio (%s); playing silently\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = kDeviceRate;
    want.format = AUDIO_S16SYS;
    want.channels = kDeviceChannels;
    want.samples = 1024;
    want.callback = &Mixer::Callback;
    want.userdata = &mixer;
    SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (dev == 0) {
        std::fprintf(stderr, "sound: cannot open the audio device (%s); playing silently\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    mixer.accum.resize((size_t)have.samples * kDeviceChannels);
    mixer.device = dev;
    SDL_PauseAudioDevice(dev, 0);
    return true;
}

} // namespace

HRESULT DirectSoundCreate8(LPCGUID device, IDirectSound8** out, LPUNKNOWN outer) {
    (void)device; // always the default device
    if (!out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    auto mixer = std::make_shared<Mixer>();
    if (g_ManualMixer)
        mixer->mode = DirectSoundMode::Manual;
    else
        mixer->mode = OpenDevice(*mixer) ? DirectSoundMode::Live : DirectSoundMode::Inert;
    *out = new DirectSoundDevice(std::move(mixer));
    return DS_OK;
}

void DirectSoundUseManualMixer(bool on) {
    g_ManualMixer = on;
}

DirectSoundMode DirectSoundGetMode(IDirectSound8* ds) {
    auto* dev = dynamic_cast<DirectSoundDevice*>(ds);
    return dev ? dev->GetMixer().mode : DirectSoundMode::Inert;
}

void DirectSoundMixForTest(IDirectSound8* ds, int16_t* out, int frames) {
    auto* dev = dynamic_cast<DirectSoundDevice*>(ds);
    if (!dev || !out || frames <= 0) return;
    Mixer& m = dev->GetMixer();
    MixerLock lock(m);
    m.Render(out, (size_t)frames);
}
