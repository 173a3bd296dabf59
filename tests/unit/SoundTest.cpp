// The voice pools, the music and the refusal of broken sound files, with time driven by the mixer.
#include "assets/Sound.h"

#include "WaveTestWriter.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace wavetest;

namespace {

// Shot: 2205 frames at 22050 Hz mono, 4410 device frames (0.1 s).
constexpr int kShotFrames = 4410;

Bytes ShotWave() {
    return PcmWave(1, 22050, 16, Constant16(2205, 3000));
}
Bytes BubbleWave() {
    return PcmWave(1, 11025, 8, Bytes(1100, 0xA0));
}
Bytes DustWave() {
    return PcmWave(2, 44100, 16, Constant16(2 * 2000, -2000));
}
Bytes MusicWave() {
    return PcmWave(2, 44100, 16, Constant16(2 * 44100, 1000));
}

struct SoundTest : ::testing::Test {
    ScratchDir dir{"sound"};
    std::unique_ptr<ScopedWorkingDir> cwd;

    void SetUp() override {
        std::filesystem::create_directory(dir.File("sound"));
        cwd.reset(new ScopedWorkingDir(dir.Path()));
        ASSERT_TRUE(cwd->Ok());
        DirectSoundUseManualMixer(true);
        InitSound();
        ASSERT_NE(g_pDSound, nullptr);
        ASSERT_NE(g_pPrimary, nullptr);
    }
    void TearDown() override {
        UninitSound();
        SetSoundLevels(SoundLevels{});
        DirectSoundUseManualMixer(false);
        cwd.reset();
    }
    void WriteSounds(const Bytes& shot, const Bytes& bubble, const Bytes& dust, const Bytes& music) {
        ASSERT_TRUE(WriteFile("sound/shot.wav", shot));
        ASSERT_TRUE(WriteFile("sound/bubble.wav", bubble));
        ASSERT_TRUE(WriteFile("sound/dust.wav", dust));
        ASSERT_TRUE(WriteFile("sound/bgm.wav", music));
    }
    void Mix(int frames) {
        std::vector<int16_t> out((size_t)frames * 2);
        DirectSoundMixForTest(g_pDSound, out.data(), frames);
    }
    static bool Playing(IDirectSoundBuffer* b) {
        DWORD s = 0;
        b->GetStatus(&s);
        return (s & DSBSTATUS_PLAYING) != 0;
    }
    static DWORD Position(IDirectSoundBuffer* b) {
        DWORD play = 0;
        b->GetCurrentPosition(&play, nullptr);
        return play;
    }
    static std::vector<DWORD> Positions(IDirectSoundBuffer8** pool) {
        std::vector<DWORD> p;
        for (int i = 0; i < SOUND_VOICES; ++i)
            p.push_back(Position(pool[i]));
        return p;
    }
};

} // namespace

TEST_F(SoundTest, ElevenRequestsPlayTenAndTheNextTakesTheFirstVoiceThatEnded) {
    WriteSounds(ShotWave(), BubbleWave(), DustWave(), MusicWave());
    LoadSounds();
    for (int i = 0; i < SOUND_VOICES; ++i) {
        ASSERT_NE(g_ShotVoices[i], nullptr) << i;
        for (int j = 0; j < i; ++j)
            ASSERT_NE(g_ShotVoices[i], g_ShotVoices[j]);
    }

    PlaySE(SE_SHOT);
    EXPECT_TRUE(Playing(g_ShotVoices[0]));
    EXPECT_FALSE(Playing(g_ShotVoices[1]));
    LONG volume = 0;
    g_ShotVoices[0]->GetVolume(&volume);
    EXPECT_EQ(volume, -1800);
    Mix(1000);
    for (int i = 1; i < SOUND_VOICES; ++i)
        PlaySE(SE_SHOT);
    for (int i = 0; i < SOUND_VOICES; ++i)
        EXPECT_TRUE(Playing(g_ShotVoices[i])) << i;
    Mix(500);

    // The eleventh request finds every voice busy: nothing starts over.
    std::vector<DWORD> before = Positions(g_ShotVoices);
    EXPECT_GT(before[0], before[1]);
    PlaySE(SE_SHOT);
    EXPECT_EQ(Positions(g_ShotVoices), before);

    // Voice 0 started first and ends first; the next request takes it.
    Mix(kShotFrames - 1500);
    EXPECT_FALSE(Playing(g_ShotVoices[0]));
    for (int i = 1; i < SOUND_VOICES; ++i)
        EXPECT_TRUE(Playing(g_ShotVoices[i])) << i;
    before = Positions(g_ShotVoices);
    PlaySE(SE_SHOT);
    EXPECT_TRUE(Playing(g_ShotVoices[0]));
    EXPECT_EQ(Positions(g_ShotVoices), before); // voice 0 starts at 0, the others go on
    Mix(20);
    EXPECT_EQ(Position(g_ShotVoices[0]), 20u); // 20 device frames = 10 frames of the 22050 Hz file

    // The other pools at their own volumes; unknown types do nothing.
    PlaySE(SE_BUBBLE);
    PlaySE(SE_DUST);
    g_BubbleVoices[0]->GetVolume(&volume);
    EXPECT_EQ(volume, -1900);
    g_DustVoices[0]->GetVolume(&volume);
    EXPECT_EQ(volume, -1500);
    EXPECT_TRUE(Playing(g_BubbleVoices[0]));
    EXPECT_TRUE(Playing(g_DustVoices[0]));
    PlaySE(3);
    PlaySE(-1);
    EXPECT_FALSE(Playing(g_BubbleVoices[1]));
    EXPECT_FALSE(Playing(g_DustVoices[1]));
}

TEST_F(SoundTest, MusicPlaysOnAcrossASecondTitleWithoutRestarting) {
    WriteSounds(ShotWave(), BubbleWave(), DustWave(), MusicWave());
    LoadSounds();
    ASSERT_NE(g_pBgm, nullptr);
    StartMusic();
    DWORD status = 0;
    g_pBgm->GetStatus(&status);
    EXPECT_EQ(status, (DWORD)(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    Mix(30000);
    const DWORD at = Position(g_pBgm);
    EXPECT_EQ(at, 30000u * 4);

    // Back at the title: nothing is loaded again and the music is not restarted.
    IDirectSoundBuffer8* music = g_pBgm;
    IDirectSoundBuffer8* shot = g_ShotVoices[0];
    ASSERT_TRUE(WriteFile("sound/bgm.wav", Bytes{})); // would fail to load if it were read again
    LoadSounds();
    StartMusic();
    ASSERT_EQ(g_pBgm, music);
    ASSERT_EQ(g_ShotVoices[0], shot);
    EXPECT_EQ(Position(g_pBgm), at);
    EXPECT_TRUE(Playing(g_pBgm));

    // It loops past its end: one whole length later it is back where it was.
    Mix(44100);
    EXPECT_TRUE(Playing(g_pBgm));
    EXPECT_EQ(Position(g_pBgm), at);
}

// The player's levels are gains over the game's own mix: the master on everything, the music and the effects
// on theirs (each effect keeping its own volume relative to the others), mute as silence, and the
// music of a paused stage 12 dB down.
TEST_F(SoundTest, ThePlayersLevelsScaleTheGamesOwnMix) {
    WriteSounds(ShotWave(), BubbleWave(), DustWave(), MusicWave());
    LoadSounds();
    StartMusic();
    auto sample = [&] {
        std::vector<int16_t> out(2 * 64);
        DirectSoundMixForTest(g_pDSound, out.data(), 64);
        return out[0];
    };
    EXPECT_EQ(sample(), 1000);
    SoundLevels levels;
    levels.master = 50;
    SetSoundLevels(levels);
    EXPECT_EQ(sample(), 500);
    levels.music = 50;
    SetSoundLevels(levels);
    EXPECT_EQ(sample(), 250);
    levels.musicDucked = true;
    SetSoundLevels(levels);
    EXPECT_EQ(sample(), 63); // 250 x 10^(-12 / 20)
    levels.muted = true;
    SetSoundLevels(levels);
    EXPECT_EQ(sample(), 0);

    levels = SoundLevels{};
    levels.effects = 50;
    SetSoundLevels(levels);
    PlaySE(SE_SHOT);
    PlaySE(SE_DUST);
    LONG shot = 0, dust = 0;
    g_ShotVoices[0]->GetVolume(&shot);
    g_DustVoices[0]->GetVolume(&dust);
    EXPECT_EQ(PercentToVolume(50), -602);
    EXPECT_EQ(shot, -1800 - 602);
    EXPECT_EQ(dust - shot, -1500 - -1800); // the balance between the effects stays
    levels.effects = 0;
    SetSoundLevels(levels);
    PlaySE(SE_SHOT);
    g_ShotVoices[1]->GetVolume(&shot);
    EXPECT_EQ(shot, DSBVOLUME_MIN);
}

TEST_F(SoundTest, BrokenFilesLeaveTheirSlotsEmptyAndNameTheFile) {
    Bytes truncated = ShotWave();
    truncated.resize(truncated.size() / 2);
    Bytes garbage(500);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = (uint8_t)(i * 91 + 7);
    Bytes zeroFormat = Riff({Chunk("fmt ", Bytes(16, 0)), Chunk("data", Bytes(100, 0))});
    Bytes oversize =
        Riff({Chunk("fmt ", FormatBody(1, 2, 44100, 16)), Chunk("data", Constant16(200, 5), 0x7FFF0000)});
    WriteSounds(truncated, garbage, zeroFormat, oversize);

    ::testing::internal::CaptureStderr();
    LoadSounds();
    std::string err = ::testing::internal::GetCapturedStderr();
    for (const char* name : {"sound/shot.wav", "sound/bubble.wav", "sound/dust.wav", "sound/bgm.wav"})
        EXPECT_NE(err.find(name), std::string::npos) << name;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 4);

    for (int i = 0; i < SOUND_VOICES; ++i) {
        EXPECT_EQ(g_ShotVoices[i], nullptr);
        EXPECT_EQ(g_BubbleVoices[i], nullptr);
        EXPECT_EQ(g_DustVoices[i], nullptr);
    }
    EXPECT_EQ(g_pBgm, nullptr);
    for (int type = 0; type < 3; ++type)
        PlaySE(type);
    StartMusic();
    Mix(100);
}

TEST_F(SoundTest, OddFormatsAndMissingFilesAreRefusedOneByOne) {
    auto format = [](uint16_t ch, uint32_t rate, uint16_t bits, uint16_t align) {
        Bytes f = FormatBody(1, ch, rate, bits);
        f[12] = (uint8_t)align;
        f[13] = 0;
        return Riff({Chunk("fmt ", f), Chunk("data", Bytes(64, 0))});
    };
    struct Case {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"three channels", format(3, 44100, 16, 6)}, {"rate 999", format(1, 999, 16, 2)},
        {"rate 192001", format(1, 192001, 16, 2)},   {"24 bits", format(1, 44100, 24, 3)},
        {"block align", format(2, 44100, 16, 2)},    {"no samples", PcmWave(1, 44100, 16, Bytes{})},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFile("sound/odd.wav", c.bytes));
        IDirectSoundBuffer8* slot = nullptr;
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(LoadWave(&slot, "sound/odd.wav")) << c.name;
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("sound/odd.wav"), std::string::npos);
        EXPECT_EQ(slot, nullptr) << c.name;
    }

    // With only the dust file present, its pool and nothing else works.
    ASSERT_TRUE(WriteFile("sound/dust.wav", DustWave()));
    ::testing::internal::CaptureStderr();
    LoadSounds();
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 3);
    EXPECT_EQ(g_ShotVoices[0], nullptr);
    EXPECT_EQ(g_pBgm, nullptr);
    ASSERT_NE(g_DustVoices[9], nullptr);
    PlaySE(SE_DUST);
    EXPECT_TRUE(Playing(g_DustVoices[0]));
}
