// The generated pictures and sounds: sizes and formats the game loads, the properties the game relies on
// (a seamless seabed, a soft light blob, no dark fringes, a music loop without a click) and byte-identical
// output from two runs of the generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <stb_image.h>

#ifndef BW_ASSETGEN
#error "BW_ASSETGEN (path of the asset generator) must be defined for the asset tests"
#endif

namespace fs = std::filesystem;

namespace {

struct ImageSpec {
    const char* path;
    int w, h;
};

const ImageSpec kImages[] = {
    {"image/effect/light.png", 128, 128},    {"image/effect/black.png", 8, 4},
    {"image/game/cursor.png", 32, 32},       {"image/game/ground.bmp", 1024, 1024},
    {"image/title/logo.png", 256, 128},      {"image/title/start.png", 128, 64},
    {"image/title/exit.png", 128, 64},       {"image/title/option.png", 128, 64},
    {"image/title/arrow.png", 64, 64},       {"image/title/star.png", 256, 256},
    {"image/title/click.png", 256, 64},      {"image/game/anemone_tentacle.png", 32, 64},
    {"image/gameover/result.png", 256, 128}, {"image/gameover/clear.png", 256, 128},
    {"image/gameover/dead.png", 256, 128},   {"image/gameover/score.png", 256, 128},
    {"image/game/key.png", 256, 256},        {"image/game/mouse.png", 256, 256},
    {"image/game/tentacle.png", 16, 64},     {"image/game/wakame.png", 64, 128},
    {"image/effect/dust.png", 128, 128},     {"image/game/esc.png", 256, 128},
    {"image/game/ivy.png", 256, 64},         {"image/game/paused.png", 256, 128},
    {"image/game/volume.png", 256, 64},
};

struct Image {
    int w = 0, h = 0, channels = 0;
    std::vector<uint8_t> px; // always RGBA
    const uint8_t* At(int x, int y) const { return &px[(static_cast<size_t>(y) * w + x) * 4]; }
};

Image Load(const fs::path& path) {
    Image img;
    stbi_uc* data = stbi_load(path.c_str(), &img.w, &img.h, &img.channels, 4);
    if (data) {
        img.px.assign(data, data + static_cast<size_t>(img.w) * img.h * 4);
        stbi_image_free(data);
    }
    return img;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

struct Wave {
    bool ok = false;
    std::string error;
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    std::vector<int16_t> frames; // every channel, interleaved
    double Seconds() const { return rate && channels ? double(frames.size()) / channels / rate : 0; }
    // The largest magnitude over every channel.
    int Peak() const {
        int p = 0;
        for (int16_t s : frames)
            p = std::max(p, std::abs(int(s)));
        return p;
    }
    std::vector<int16_t> Channel(int c) const {
        std::vector<int16_t> out;
        for (size_t i = c; i < frames.size(); i += channels)
            out.push_back(frames[i]);
        return out;
    }
};

// A strict reader of what the game's WAV reader accepts: RIFF/WAVE, a PCM "fmt " chunk, a "data" chunk.
Wave ReadWave(const fs::path& path) {
    Wave w;
    std::vector<uint8_t> b = ReadBytes(path);
    auto fail = [&](const std::string& why) {
        w.error = why;
        return w;
    };
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return fail("not RIFF/WAVE");
    if (U32(b, 4) + 8 != b.size()) return fail("RIFF size does not match the file");
    size_t at = 12;
    bool haveFmt = false;
    while (at + 8 <= b.size()) {
        std::string id(b.begin() + at, b.begin() + at + 4);
        uint32_t size = U32(b, at + 4);
        if (at + 8 + size > b.size()) return fail("chunk " + id + " runs past the end");
        if (id == "fmt ") {
            if (size != 16) return fail("fmt chunk is not the plain 16 bytes");
            w.format = U16(b, at + 8);
            w.channels = U16(b, at + 10);
            w.rate = U32(b, at + 12);
            uint32_t byteRate = U32(b, at + 16);
            uint16_t align = U16(b, at + 20);
            w.bits = U16(b, at + 22);
            if (align != w.channels * w.bits / 8 || byteRate != w.rate * align)
                return fail("inconsistent format");
            haveFmt = true;
        } else if (id == "data") {
            if (!haveFmt) return fail("data before fmt");
            if (w.bits != 16 || size % (2u * w.channels) != 0) return fail("data is not whole 16-bit frames");
            for (size_t i = 0; i < size; i += 2u)
                w.frames.push_back(static_cast<int16_t>(U16(b, at + 8 + i)));
            w.ok = true;
        }
        at += 8 + size + (size & 1);
    }
    if (!w.ok) return fail("no data chunk");
    return w;
}

// Runs the generator twice, into two folders, once per build of the generator: every test runs in a process
// of its own, so the output is kept beside the generator under a name made from its time stamp and size, and
// later tests reuse it. A run goes to a private folder first and is renamed into place when complete.
class AssetMedia : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const fs::path gen = BW_ASSETGEN;
        ASSERT_TRUE(fs::exists(gen)) << gen;
        const std::string key = std::to_string(fs::last_write_time(gen).time_since_epoch().count()) + "-" +
                                std::to_string(fs::file_size(gen));
        const fs::path work = gen.parent_path() / "assetmedia_test";
        fs::create_directories(work);
        s_Dir = work / key;
        if (!fs::exists(s_Dir / "done")) {
            std::string tmpl = (work / "tmp-XXXXXX").string();
            ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
            const fs::path tmp = tmpl;
            std::ofstream exits(tmp / "exit");
            for (const char* run : {"a", "b"}) {
                fs::create_directories(tmp / run);
                std::string cmd = "\"" + gen.string() + "\" \"" + (tmp / run).string() + "\" > /dev/null";
                exits << std::system(cmd.c_str()) << "\n";
            }
            exits.close();
            std::ofstream(tmp / "done") << key << "\n";
            std::error_code ec;
            fs::rename(tmp, s_Dir, ec);
            if (ec) fs::remove_all(tmp, ec);                     // another test process finished first
            for (const auto& old : fs::directory_iterator(work)) // outputs of earlier builds
                if (old.path() != s_Dir && old.path().filename().string().rfind("tmp-", 0) != 0)
                    fs::remove_all(old.path(), ec);
        }
        std::ifstream exits(s_Dir / "exit");
        exits >> s_Exit[0] >> s_Exit[1];
    }
    static fs::path Root() { return s_Dir / "a"; }
    static fs::path Second() { return s_Dir / "b"; }

    static fs::path s_Dir;
    static int s_Exit[2];
};

fs::path AssetMedia::s_Dir;
int AssetMedia::s_Exit[2] = {-1, -1};

TEST_F(AssetMedia, GeneratorSucceedsAndEveryImageHasItsTableSize) {
    ASSERT_EQ(s_Exit[0], 0);
    ASSERT_EQ(s_Exit[1], 0);
    for (const ImageSpec& spec : kImages) {
        SCOPED_TRACE(spec.path);
        Image img = Load(Root() / spec.path);
        ASSERT_FALSE(img.px.empty()) << stbi_failure_reason();
        EXPECT_EQ(img.w, spec.w);
        EXPECT_EQ(img.h, spec.h);
        bool bmp = std::string(spec.path).find(".bmp") != std::string::npos;
        EXPECT_EQ(img.channels, bmp ? 3 : 4); // the seabed is an RGB bitmap, the rest RGBA PNGs
        if (bmp) {
            std::vector<uint8_t> b = ReadBytes(Root() / spec.path);
            ASSERT_GE(b.size(), 30u);
            EXPECT_EQ(b[0], 'B');
            EXPECT_EQ(b[1], 'M');
            EXPECT_EQ(U16(b, 28), 24); // bits per pixel
        }
    }
}

TEST_F(AssetMedia, SeabedTilesWithoutASeam) {
    Image g = Load(Root() / "image/game/ground.bmp");
    ASSERT_EQ(g.w, 1024);
    auto columnGap = [&](int a, int b) {
        double sum = 0;
        for (int y = 0; y < g.h; ++y)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(int(g.At(a, y)[c]) - int(g.At(b, y)[c]));
        return sum / (g.h * 3);
    };
    auto rowGap = [&](int a, int b) {
        double sum = 0;
        for (int x = 0; x < g.w; ++x)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(int(g.At(x, a)[c]) - int(g.At(x, b)[c]));
        return sum / (g.w * 3);
    };
    // Across the wrap the texels differ no more than neighbours inside do.
    double insideX = (columnGap(255, 256) + columnGap(511, 512) + columnGap(767, 768)) / 3;
    double insideY = (rowGap(255, 256) + rowGap(511, 512) + rowGap(767, 768)) / 3;
    EXPECT_LT(columnGap(1023, 0), insideX * 1.5 + 1.0);
    EXPECT_LT(rowGap(1023, 0), insideY * 1.5 + 1.0);
    // And the picture is not flat: far-apart columns differ clearly more than neighbours.
    EXPECT_GT(columnGap(100, 600), insideX * 1.5);
}

TEST_F(AssetMedia, LightIsASoftWhiteBlob) {
    Image l = Load(Root() / "image/effect/light.png");
    ASSERT_EQ(l.w, 128);
    EXPECT_GE(l.At(64, 64)[3], 230);
    for (int i = 0; i < 128; ++i) { // the whole border is clear, so a quad's edges never show
        EXPECT_EQ(l.At(i, 0)[3], 0);
        EXPECT_EQ(l.At(i, 127)[3], 0);
        EXPECT_EQ(l.At(0, i)[3], 0);
        EXPECT_EQ(l.At(127, i)[3], 0);
    }
    int last = 256;
    for (int x = 64; x < 128; ++x) { // fades steadily outwards, white throughout
        EXPECT_LE(l.At(x, 64)[3], last);
        last = l.At(x, 64)[3];
        EXPECT_EQ(l.At(x, 64)[0], 255);
    }
    EXPECT_GT(l.At(96, 64)[3], 40); // half way out it is still clearly visible
}

TEST_F(AssetMedia, CursorIsARingWithAClearCentre) {
    Image c = Load(Root() / "image/game/cursor.png");
    ASSERT_EQ(c.w, 32);
    EXPECT_EQ(c.At(16, 16)[3], 0);
    EXPECT_EQ(c.At(0, 0)[3], 0);
    EXPECT_EQ(c.At(31, 31)[3], 0);
    int best = 0;
    for (int x = 16; x < 32; ++x)
        best = std::max(best, int(c.At(x, 16)[3]));
    EXPECT_GE(best, 220);
    EXPECT_EQ(c.At(0, 16)[3], 0); // the ring stays inside the sprite
}

TEST_F(AssetMedia, FadeImageIsOpaqueBlack) {
    Image b = Load(Root() / "image/effect/black.png");
    ASSERT_EQ(b.px.size(), 8u * 4 * 4);
    for (size_t i = 0; i < b.px.size(); i += 4) {
        EXPECT_EQ(b.px[i] | b.px[i + 1] | b.px[i + 2], 0);
        EXPECT_EQ(b.px[i + 3], 255);
    }
}

TEST_F(AssetMedia, ClearTexelsCarryTheColourOfTheirVisibleNeighbours) {
    // Bilinear filtering mixes a clear texel's colour into the edge: it must not be black beside bright art.
    for (const ImageSpec& spec : kImages) {
        if (std::string(spec.path).find(".png") == std::string::npos) continue;
        SCOPED_TRACE(spec.path);
        Image img = Load(Root() / spec.path);
        ASSERT_FALSE(img.px.empty());
        double sum = 0;
        int pairs = 0;
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x + 1 < img.w; ++x) {
                const uint8_t *a = img.At(x, y), *b = img.At(x + 1, y);
                if ((a[3] == 0) == (b[3] == 0)) continue;
                const uint8_t* clear = a[3] == 0 ? a : b;
                const uint8_t* seen = a[3] == 0 ? b : a;
                for (int c = 0; c < 3; ++c)
                    sum += std::abs(int(clear[c]) - int(seen[c]));
                pairs += 3;
            }
        if (pairs > 0) {
            EXPECT_LT(sum / pairs, 40.0);
        }
    }
}

// Width of the run of texels with alpha of at least `level` in a row.
int VisibleWidth(const Image& img, int y, int level = 128) {
    int first = -1, last = -1;
    for (int x = 0; x < img.w; ++x)
        if (img.At(x, y)[3] >= level) {
            if (first < 0) first = x;
            last = x;
        }
    return first < 0 ? 0 : last - first + 1;
}

int VisibleHeight(const Image& img, int x, int level = 128) {
    int first = -1, last = -1;
    for (int y = 0; y < img.h; ++y)
        if (img.At(x, y)[3] >= level) {
            if (first < 0) first = y;
            last = y;
        }
    return first < 0 ? 0 : last - first + 1;
}

int MaxAlphaInRow(const Image& img, int y) {
    int m = 0;
    for (int x = 0; x < img.w; ++x)
        m = std::max(m, int(img.At(x, y)[3]));
    return m;
}

TEST_F(AssetMedia, ArrowPointsRightForTheGameToMirror) {
    Image a = Load(Root() / "image/title/arrow.png");
    ASSERT_EQ(a.w, 64);
    const int shaft = VisibleHeight(a, 20), head = VisibleHeight(a, 40);
    EXPECT_GT(shaft, 0);
    EXPECT_GT(head, shaft * 3 / 2);
}

TEST_F(AssetMedia, RibbonTexturesRunTheWayTheirStripsAreDrawn) {
    // The jellies' tentacle: root at the top (v = 0), gone before the tip of the strip (v = 0.95).
    Image t = Load(Root() / "image/game/tentacle.png");
    ASSERT_EQ(t.h, 64);
    EXPECT_GE(MaxAlphaInRow(t, 1), 120);
    for (int y = 61; y < 64; ++y)
        EXPECT_LE(MaxAlphaInRow(t, y), 2) << "row " << y;
    // The anemone's tentacle: a narrow tip at the top, a wide root at the bottom.
    Image a = Load(Root() / "image/game/anemone_tentacle.png");
    ASSERT_EQ(a.h, 64);
    EXPECT_LE(MaxAlphaInRow(a, 0), 8);
    EXPECT_GT(VisibleWidth(a, 60), VisibleWidth(a, 8) * 2);
    // The wakame blade: a point at the top, broad in the upper half, a thin stalk at the bottom.
    Image k = Load(Root() / "image/game/wakame.png");
    ASSERT_EQ(k.h, 128);
    EXPECT_GT(VisibleWidth(k, 40), VisibleWidth(k, 3) * 3);
    EXPECT_GT(VisibleWidth(k, 40), VisibleWidth(k, 124) * 3);
    EXPECT_GT(VisibleWidth(k, 124), 0);
    // None of them shows a hard line along the long edges of its strip.
    for (const Image* img : {&t, &a, &k})
        for (int y = 0; y < img->h; ++y) {
            EXPECT_LE(img->At(0, y)[3], 8);
            EXPECT_LE(img->At(img->w - 1, y)[3], 8);
        }
}

TEST_F(AssetMedia, DustPuffFadesOutBeforeItsBorder) {
    Image d = Load(Root() / "image/effect/dust.png");
    ASSERT_EQ(d.w, 128);
    EXPECT_GE(d.At(64, 64)[3], 150);
    for (int i = 0; i < 128; ++i) {
        EXPECT_EQ(d.At(i, 0)[3], 0);
        EXPECT_EQ(d.At(i, 127)[3], 0);
        EXPECT_EQ(d.At(0, i)[3], 0);
        EXPECT_EQ(d.At(127, i)[3], 0);
    }
}

struct SoundSpec {
    const char* path;
    double minSeconds, maxSeconds;
};

TEST_F(AssetMedia, SoundsArePcmWavesOfTheirLengthAndLevel) {
    const SoundSpec sounds[] = {{"sound/shot.wav", 0.15, 0.3},
                                {"sound/bubble.wav", 0.6, 1.0},
                                {"sound/dust.wav", 0.4, 0.6},
                                {"sound/bgm.wav", 120.0, 180.0}};
    for (const SoundSpec& spec : sounds) {
        SCOPED_TRACE(spec.path);
        Wave w = ReadWave(Root() / spec.path);
        ASSERT_TRUE(w.ok) << w.error;
        EXPECT_EQ(w.format, 1);
        EXPECT_EQ(w.bits, 16);
        EXPECT_GE(w.Seconds(), spec.minSeconds);
        EXPECT_LE(w.Seconds(), spec.maxSeconds);
        const int peak = w.Peak();
        EXPECT_LT(peak, 29204); // below -1 dBFS on every channel: never clips
        bool music = std::string(spec.path) == "sound/bgm.wav";
        if (music) {
            // The score: stereo at a full-band rate, and quieter than the effects.
            EXPECT_EQ(w.channels, 2);
            EXPECT_TRUE(w.rate == 32000 || w.rate == 44100) << w.rate;
            EXPECT_LT(peak, 32768 / 2);
            EXPECT_GT(peak, 32768 / 20);
        } else {
            EXPECT_TRUE(w.channels == 1 || w.channels == 2);
            EXPECT_TRUE(w.rate == 22050 || w.rate == 44100) << w.rate;
            EXPECT_GT(peak, 32768 / 2); // about -3 dB
            // An effect starts and ends at silence, so it never clicks.
            const std::vector<int16_t> first = w.Channel(0);
            EXPECT_LT(std::abs(int(first.front())), peak / 50);
            EXPECT_LT(std::abs(int(first.back())), peak / 50);
        }
    }
}

TEST_F(AssetMedia, MusicLoopsWithoutAClick) {
    Wave w = ReadWave(Root() / "sound/bgm.wav");
    ASSERT_TRUE(w.ok) << w.error;
    for (int c = 0; c < w.channels; ++c) {
        SCOPED_TRACE("channel " + std::to_string(c));
        const std::vector<int16_t> s = w.Channel(c);
        const size_t n = s.size();
        ASSERT_GT(n, 1000u);
        // The step from the last sample to the first is an ordinary step of the waveform...
        std::vector<int> steps, bends;
        for (size_t i = 1; i + 1 < n; ++i) {
            steps.push_back(std::abs(s[i + 1] - s[i]));
            bends.push_back(std::abs(s[i + 1] - 2 * s[i] + s[i - 1]));
        }
        std::sort(steps.begin(), steps.end());
        std::sort(bends.begin(), bends.end());
        const int typicalStep = steps[steps.size() * 9 / 10], typicalBend = bends[bends.size() * 9 / 10];
        EXPECT_LE(std::abs(s[0] - s[n - 1]), typicalStep);
        // ...and its slope carries on: the first sample is where the last two were heading.
        EXPECT_LE(std::abs(s[0] - (2 * s[n - 1] - s[n - 2])), typicalBend * 2);
        // The music plays through the loop point rather than fading out and in.
        auto rms = [&](size_t from, size_t count) {
            double sum = 0;
            for (size_t i = from; i < from + count; ++i)
                sum += double(s[i]) * s[i];
            return std::sqrt(sum / count);
        };
        const size_t second = w.rate;
        double head = rms(0, second / 2), tail = rms(n - second / 2, second / 2), whole = rms(0, n);
        EXPECT_GT(head, whole * 0.5);
        EXPECT_GT(tail, whole * 0.5);
        EXPECT_LT(head / tail, 2.0);
        EXPECT_GT(head / tail, 0.5);
    }
}

TEST_F(AssetMedia, TwoRunsWriteIdenticalBytes) {
    int files = 0;
    for (const char* dir : {"image", "sound"})
        for (const auto& entry : fs::recursive_directory_iterator(Root() / dir)) {
            if (!entry.is_regular_file()) continue;
            fs::path rel = fs::relative(entry.path(), Root());
            SCOPED_TRACE(rel.string());
            std::vector<uint8_t> a = ReadBytes(entry.path()), b = ReadBytes(Second() / rel);
            EXPECT_FALSE(a.empty());
            EXPECT_TRUE(a == b);
            ++files;
        }
    EXPECT_EQ(files, 25 + 4);
}

} // namespace
