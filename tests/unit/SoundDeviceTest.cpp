// The DirectSound layer: volumes, clipping, format conversion, duplicates and play states, measured through
// the mixer run by hand.
#include <dsound.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

WAVEFORMATEX Pcm(WORD channels, DWORD rate, WORD bits) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = (WORD)(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

struct SoundDeviceTest : ::testing::Test {
    IDirectSound8* ds = nullptr;
    void SetUp() override {
        DirectSoundUseManualMixer(true);
        ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
        DirectSoundUseManualMixer(false);
        ASSERT_EQ(DirectSoundGetMode(ds), DirectSoundMode::Manual);
    }
    void TearDown() override {
        if (ds) ds->Release();
    }

    // A buffer holding bytes in format f, written through Lock/Unlock.
    IDirectSoundBuffer* Make(WAVEFORMATEX f, const std::vector<uint8_t>& bytes) {
        DSBUFFERDESC d{};
        d.dwSize = DSBUFFERDESC_SIZE;
        d.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN;
        d.dwBufferBytes = (DWORD)bytes.size();
        d.lpwfxFormat = &f;
        IDirectSoundBuffer* b = nullptr;
        EXPECT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
        if (!b) return nullptr;
        Fill(b, bytes);
        return b;
    }
    static void Fill(IDirectSoundBuffer* b, const std::vector<uint8_t>& bytes) {
        LPVOID p1 = nullptr, p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        ASSERT_EQ(b->Lock(0, (DWORD)bytes.size(), &p1, &n1, &p2, &n2, 0), DS_OK);
        ASSERT_EQ(n1, bytes.size());
        std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(p1));
        ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    }
    IDirectSoundBuffer* Make16(WORD channels, DWORD rate, size_t samples, int16_t value) {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < samples; ++i) {
            bytes.push_back((uint8_t)value);
            bytes.push_back((uint8_t)((uint16_t)value >> 8));
        }
        return Make(Pcm(channels, rate, 16), bytes);
    }
    std::vector<int16_t> Mix(int frames) {
        std::vector<int16_t> out((size_t)frames * 2, 12345);
        DirectSoundMixForTest(ds, out.data(), frames);
        return out;
    }
    static bool Playing(IDirectSoundBuffer* b) {
        DWORD s = 0;
        b->GetStatus(&s);
        return (s & DSBSTATUS_PLAYING) != 0;
    }
    static DWORD Position(IDirectSoundBuffer* b) {
        DWORD play = 0, write = 0;
        b->GetCurrentPosition(&play, &write);
        return play;
    }
    // Frames mixed until a one-shot stops (at most limit).
    int FramesUntilStop(IDirectSoundBuffer* b, int limit) {
        int n = 0;
        while (Playing(b) && n < limit) {
            Mix(1);
            ++n;
        }
        return n;
    }
};

} // namespace

TEST_F(SoundDeviceTest, VolumeInHundredthsOfADecibelScalesTheOutput) {
    IDirectSoundBuffer* b = Make16(1, 44100, 44100, 16000);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);

    auto level = [&] {
        std::vector<int16_t> out = Mix(512);
        double sum = 0;
        for (int16_t v : out)
            sum += v;
        return sum / out.size();
    };
    const double full = level();
    EXPECT_NEAR(full, 16000.0, 2.0);

    ASSERT_EQ(b->SetVolume(-1800), DS_OK);
    EXPECT_NEAR(level() / full, std::pow(10.0, -0.9), 0.0005);
    ASSERT_EQ(b->SetVolume(-600), DS_OK);
    EXPECT_NEAR(level() / full, std::pow(10.0, -0.3), 0.0005);

    // Out-of-range volumes are clamped to DSBVOLUME_MIN..0.
    LONG v = 1;
    b->SetVolume(-20000);
    b->GetVolume(&v);
    EXPECT_EQ(v, DSBVOLUME_MIN);
    EXPECT_NEAR(level(), 0.0, 1.0);
    b->SetVolume(500);
    b->GetVolume(&v);
    EXPECT_EQ(v, 0);

    // The primary buffer's volume scales everything.
    DSBUFFERDESC pd{};
    pd.dwSize = DSBUFFERDESC_SIZE;
    pd.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN;
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&pd, &primary, nullptr), DS_OK);
    primary->SetVolume(-1000);
    EXPECT_NEAR(level() / full, std::pow(10.0, -0.5), 0.0005);
    // Pan to the right takes the left side down.
    primary->SetVolume(0);
    primary->SetPan(2000);
    std::vector<int16_t> out = Mix(16);
    EXPECT_NEAR(out[0], 1600.0, 2.0);
    EXPECT_NEAR(out[1], 16000.0, 2.0);
    primary->Release();
    b->Release();
}

TEST_F(SoundDeviceTest, TwoFullScaleBuffersSaturateInsteadOfWrapping) {
    for (int16_t value : {int16_t(32767), int16_t(-32768)}) {
        IDirectSoundBuffer* a = Make16(2, 44100, 2000, value);
        IDirectSoundBuffer* b = Make16(2, 44100, 2000, value);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        a->Play(0, 0, 0);
        b->Play(0, 0, 0);
        std::vector<int16_t> out = Mix(500);
        for (int16_t v : out)
            ASSERT_EQ(v, value);
        a->Release();
        b->Release();
    }
    // Nothing playing: silence.
    for (int16_t v : Mix(64))
        ASSERT_EQ(v, 0);
}

TEST_F(SoundDeviceTest, EightBitAndLowRateMonoConvertToTheRightLength) {
    // 8-bit unsigned at the device rate: 1000 frames stay 1000 frames; 0xC0 is half scale.
    IDirectSoundBuffer* b8 = Make(Pcm(1, 44100, 8), std::vector<uint8_t>(1000, 0xC0));
    ASSERT_NE(b8, nullptr);
    b8->Play(0, 0, 0);
    std::vector<int16_t> first = Mix(1);
    EXPECT_NEAR(first[0], 16384, 2);
    EXPECT_EQ(first[0], first[1]); // mono reaches both sides
    EXPECT_EQ(FramesUntilStop(b8, 5000), 999);
    b8->Release();

    // 22050 Hz mono: 1000 frames last 2000 device frames.
    IDirectSoundBuffer* b22 = Make16(1, 22050, 1000, 8000);
    ASSERT_NE(b22, nullptr);
    b22->Play(0, 0, 0);
    int frames = FramesUntilStop(b22, 5000);
    EXPECT_EQ(frames, 2000);

    // 11025 Hz stereo 8-bit: four times as long.
    IDirectSoundBuffer* b11 = Make(Pcm(2, 11025, 8), std::vector<uint8_t>(2 * 500, 0x80));
    ASSERT_NE(b11, nullptr);
    b11->Play(0, 0, 0);
    EXPECT_EQ(FramesUntilStop(b11, 5000), 2000);
    b22->Release();
    b11->Release();
}

TEST_F(SoundDeviceTest, PlayStopAndLoopFollowTheBufferStates) {
    IDirectSoundBuffer* b = Make16(1, 44100, 1000, 1000); // 2000 bytes
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(Playing(b));
    b->Play(0, 0, 0);
    EXPECT_TRUE(Playing(b));
    Mix(400);
    EXPECT_EQ(Position(b), 800u);
    b->Play(0, 0, 0); // already playing: goes on
    EXPECT_EQ(Position(b), 800u);
    b->Stop();
    EXPECT_FALSE(Playing(b));
    Mix(100);
    EXPECT_EQ(Position(b), 800u);
    b->Play(0, 0, 0); // resumes where it stopped
    Mix(600);
    EXPECT_FALSE(Playing(b));   // a one-shot ends...
    EXPECT_EQ(Position(b), 0u); // ...back at the start
    b->Play(0, 0, 0);
    Mix(10);
    EXPECT_EQ(Position(b), 20u);

    b->Play(0, 0, DSBPLAY_LOOPING);
    DWORD s = 0;
    b->GetStatus(&s);
    EXPECT_EQ(s, (DWORD)(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    Mix(2490); // 10 + 2490 = 2.5 loops
    EXPECT_TRUE(Playing(b));
    EXPECT_EQ(Position(b), 1000u);
    std::vector<int16_t> out = Mix(4);
    EXPECT_EQ(out[0], 1000);
    b->Release();
}

TEST_F(SoundDeviceTest, DuplicatesShareSamplesButNotStateAndOutliveTheOriginal) {
    IDirectSoundBuffer* original = Make16(1, 44100, 1000, 4000);
    ASSERT_NE(original, nullptr);
    original->SetVolume(-1800);
    IDirectSoundBuffer* d1 = nullptr;
    IDirectSoundBuffer* d2 = nullptr;
    ASSERT_EQ(ds->DuplicateSoundBuffer(original, &d1), DS_OK);
    ASSERT_EQ(ds->DuplicateSoundBuffer(original, &d2), DS_OK);
    LONG v = 0;
    d1->GetVolume(&v);
    EXPECT_EQ(v, -1800); // starts with the original's settings
    d1->SetVolume(0);
    original->GetVolume(&v);
    EXPECT_EQ(v, -1800);

    // Writing through one copy changes what all of them play.
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 1000; ++i) {
        bytes.push_back(0x30); // 0x2030 = 8240
        bytes.push_back(0x20);
    }
    Fill(d2, bytes);
    ASSERT_EQ(original->Release(), 0u);

    d1->Play(0, 0, 0);
    EXPECT_FALSE(Playing(d2));
    std::vector<int16_t> out = Mix(100);
    EXPECT_EQ(out[0], 8240);
    EXPECT_EQ(Position(d1), 200u);
    EXPECT_EQ(Position(d2), 0u);
    d2->Play(0, 0, 0); // at the original's -1800
    out = Mix(100);
    EXPECT_NEAR(out[0], 8240 * (1 + std::pow(10.0, -0.9)), 1.0);
    d1->Release();
    d2->Release();
}

TEST_F(SoundDeviceTest, LocksInterfacesAndDescriptionsAreChecked) {
    IDirectSoundBuffer* b = Make16(2, 44100, 50, 0); // 100 bytes
    ASSERT_NE(b, nullptr);
    LPVOID p1 = nullptr, p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(0, 100, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(n2, 0u);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    // A range past the end wraps into a second region at the start.
    ASSERT_EQ(b->Lock(96, 8, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 4u);
    EXPECT_EQ(n2, 4u);
    EXPECT_EQ(static_cast<uint8_t*>(p1) - static_cast<uint8_t*>(p2), 96);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    EXPECT_EQ(b->Lock(100, 4, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 101, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    char foreign[8];
    EXPECT_EQ(b->Unlock(foreign, 8, nullptr, 0), DSERR_INVALIDPARAM);
    ASSERT_EQ(b->Lock(0, 0, &p1, &n1, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(b->Unlock(p1, n1 + 1, nullptr, 0), DSERR_INVALIDPARAM);

    // Version 8 interface: the same object with one more reference.
    IDirectSoundBuffer8* b8 = nullptr;
    ASSERT_EQ(b->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&b8)), S_OK);
    EXPECT_EQ(static_cast<IDirectSoundBuffer*>(b8), b);
    EXPECT_EQ(b->Release(), 1u);
    IUnknown* other = nullptr;
    EXPECT_EQ(b8->QueryInterface(IID_IDirectSound8, reinterpret_cast<void**>(&other)), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(b8->Release(), 0u);

    // Descriptions the buffers cannot hold.
    auto create = [&](DWORD size, DWORD flags, DWORD bytes, WAVEFORMATEX* f) {
        DSBUFFERDESC d{};
        d.dwSize = size;
        d.dwFlags = flags;
        d.dwBufferBytes = bytes;
        d.lpwfxFormat = f;
        IDirectSoundBuffer* out = nullptr;
        HRESULT hr = ds->CreateSoundBuffer(&d, &out, nullptr);
        if (out) out->Release();
        return hr;
    };
    WAVEFORMATEX good = Pcm(1, 22050, 16), float32 = Pcm(1, 22050, 32), six = Pcm(6, 44100, 16);
    WAVEFORMATEX adpcm = good;
    adpcm.wFormatTag = 2;
    WAVEFORMATEX badAlign = good;
    badAlign.nBlockAlign = 3;
    EXPECT_EQ(create(DSBUFFERDESC_SIZE, 0, 100, &good), DS_OK);
    EXPECT_EQ(create(sizeof(DSBUFFERDESC), 0, 100, &good), DS_OK);
    EXPECT_EQ(create(20, 0, 100, &good), DSERR_INVALIDPARAM);
    EXPECT_EQ(create(DSBUFFERDESC_SIZE, 0, 0, &good), DSERR_INVALIDPARAM);
    EXPECT_EQ(create(DSBUFFERDESC_SIZE, 0, 100, nullptr), DSERR_BADFORMAT);
    EXPECT_EQ(create(DSBUFFERDESC_SIZE, 0, 100, &float32), DSERR_BADFORMAT);
    EXPECT_EQ(create(DSBUFFERDESC_SIZE, 0, 100, &six), DSERR_BADFORMAT);
    EXPECT_EQ(create(DSBUFFERDESC_SIZE, 0, 100, &adpcm), DSERR_BADFORMAT);
    EXPECT_EQ(create(DSBUFFERDESC_SIZE, 0, 100, &badAlign), DSERR_BADFORMAT);
    EXPECT_EQ(create(DSBUFFERDESC_SIZE, DSBCAPS_PRIMARYBUFFER, 100, nullptr), DSERR_INVALIDPARAM);

    // The primary buffer takes a format but no locks and has no version 8 interface.
    DSBUFFERDESC pd{};
    pd.dwSize = DSBUFFERDESC_SIZE;
    pd.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN;
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&pd, &primary, nullptr), DS_OK);
    WAVEFORMATEX cd = Pcm(2, 44100, 16);
    EXPECT_EQ(primary->SetFormat(&cd), DS_OK);
    EXPECT_EQ(primary->SetFormat(&adpcm), DSERR_BADFORMAT);
    EXPECT_NE(primary->Lock(0, 4, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(primary->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&b8)), E_NOINTERFACE);
    IDirectSoundBuffer* dup = nullptr;
    EXPECT_EQ(ds->DuplicateSoundBuffer(primary, &dup), DSERR_INVALIDCALL);
    primary->Release();
}

// Without an audio device the buffers still keep time by the real clock.
TEST(SoundInertDeviceTest, WithoutAudioOneShotsEndAfterTheirDurationAndLoopsGoOn) {
    const char* old = std::getenv("SDL_AUDIODRIVER");
    std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
    if (old)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    ASSERT_EQ(DirectSoundGetMode(ds), DirectSoundMode::Inert);

    WAVEFORMATEX f = Pcm(1, 44100, 16);
    DSBUFFERDESC d{};
    d.dwSize = DSBUFFERDESC_SIZE;
    d.dwBufferBytes = 2 * 4410; // 0.1 s
    d.lpwfxFormat = &f;
    IDirectSoundBuffer* shot = nullptr;
    IDirectSoundBuffer* loop = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&d, &shot, nullptr), DS_OK);
    ASSERT_EQ(ds->CreateSoundBuffer(&d, &loop, nullptr), DS_OK);
    loop->Play(0, 0, DSBPLAY_LOOPING);
    shot->Play(0, 0, 0);
    auto start = std::chrono::steady_clock::now();
    DWORD s = 0;
    shot->GetStatus(&s);
    EXPECT_TRUE(s & DSBSTATUS_PLAYING);
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
        shot->GetStatus(&s);
        if (!(s & DSBSTATUS_PLAYING)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(s & DSBSTATUS_PLAYING);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    loop->GetStatus(&s);
    EXPECT_TRUE(s & DSBSTATUS_PLAYING);
    shot->Release();
    loop->Release();
    ds->Release();
}
