// End to end through a real SDL audio device: SDL's disk driver writes what the mixer produced to a file.
#include "assets/Sound.h"

#include "WaveTestWriter.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScratchDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace wavetest;

namespace {

uintmax_t FileSize(const std::string& path) {
    std::error_code ec;
    uintmax_t n = std::filesystem::file_size(path, ec);
    return ec ? 0 : n;
}

} // namespace

TEST(SoundDiskTest, AShotReachesTheAudioOutput) {
    // The driver is chosen when audio starts; CTest runs each test in its own process, where it has not.
    if (SDL_WasInit(SDL_INIT_AUDIO) != 0) GTEST_SKIP() << "audio already started in this process";
    ScratchDir dir("sound");
    const std::string out = dir.File("out.raw");
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", out);

    std::filesystem::create_directory(dir.File("sound"));
    auto cwd = std::make_unique<ScopedWorkingDir>(dir.Path());
    ASSERT_TRUE(cwd->Ok());
    ASSERT_TRUE(WriteFile("sound/shot.wav", PcmWave(1, 22050, 16, Constant16(2205, 3000))));

    InitSound();
    ASSERT_NE(g_pDSound, nullptr);
    EXPECT_EQ(DirectSoundGetMode(g_pDSound), DirectSoundMode::Live);
    ::testing::internal::CaptureStderr(); // the other three files are missing
    LoadSounds();
    ::testing::internal::GetCapturedStderr();
    ASSERT_NE(g_ShotVoices[0], nullptr);

    // Wait until the device has written well past the 0.1 s shot (the disk driver runs in real time).
    const uintmax_t start = FileSize(out);
    PlaySE(SE_SHOT);
    const uintmax_t enough = start + 44100 * 4 * 3 / 10;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (FileSize(out) < enough && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    DWORD status = 1;
    g_ShotVoices[0]->GetStatus(&status);
    UninitSound();
    cwd.reset();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u) << "the one-shot has ended";

    std::vector<int16_t> samples(FileSize(out) / 2);
    ASSERT_GE(samples.size() * 2, enough);
    std::FILE* f = std::fopen(out.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fread(samples.data(), 2, samples.size(), f), samples.size());
    std::fclose(f);

    // 3000 at -1800 (a gain of 10^-0.9) comes out at about 378 on both sides for 0.1 s.
    // (The resampler rings a little at the edges, so the level is the median of the loud samples.)
    std::vector<int16_t> loud;
    std::copy_if(samples.begin(), samples.end(), std::back_inserter(loud), [](int16_t v) { return v > 200; });
    EXPECT_NEAR((double)loud.size(), 4410.0 * 2, 40.0);
    ASSERT_FALSE(loud.empty());
    std::nth_element(loud.begin(), loud.begin() + loud.size() / 2, loud.end());
    EXPECT_NEAR(loud[loud.size() / 2], 3000 * 0.12589, 3.0);
}
