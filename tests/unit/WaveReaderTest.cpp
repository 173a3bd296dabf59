// The WAV reader: formats with and without extra bytes, bounded reads and refused files.
#include "assets/WaveReader.h"

#include "WaveTestWriter.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace wavetest;

namespace {

struct WaveReaderTest : ::testing::Test {
    ScratchDir dir{"wave"};
    std::string Write(const std::string& name, const Bytes& bytes) {
        std::string path = dir.File(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
};

} // namespace

TEST_F(WaveReaderTest, PcmFormatChunkOf18BytesReadsWithCbSizeZero) {
    Bytes fmt = FormatBody(WAVE_FORMAT_PCM, 2, 22050, 16);
    Put16(fmt, 0x1234); // an extra count that PCM ignores
    Bytes samples = Samples16({1, -1, 300, -300, 32767, -32768});
    std::string path = Write("pcm18.wav", Riff({Chunk("fmt ", fmt), Chunk("data", samples)}));

    WaveReader r;
    ASSERT_TRUE(r.Open(path.c_str()));
    const WAVEFORMATEX* f = r.GetFormat();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(f->nChannels, 2);
    EXPECT_EQ(f->nSamplesPerSec, 22050u);
    EXPECT_EQ(f->nBlockAlign, 4);
    EXPECT_EQ(f->wBitsPerSample, 16);
    EXPECT_EQ(f->cbSize, 0);
    EXPECT_TRUE(IsPlayableWaveFormat(f));
    ASSERT_EQ(r.GetSize(), samples.size());

    Bytes got(samples.size());
    DWORD n = 0;
    ASSERT_TRUE(r.Read(got.data(), (DWORD)got.size(), &n));
    EXPECT_EQ(n, samples.size());
    EXPECT_EQ(got, samples);
}

TEST_F(WaveReaderTest, NonPcmFormatKeepsItsExtraBytes) {
    Bytes fmt = FormatBody(2, 1, 22050, 4); // an ADPCM-like format
    Put16(fmt, 4);
    Append(fmt, {0xA1, 0xB2, 0xC3, 0xD4});
    Bytes data(64, 0x55);
    std::string path =
        Write("adpcm.wav", Riff({Chunk("fmt ", fmt), Chunk("fact", {1, 2, 3, 4}), Chunk("data", data)}));

    WaveReader r;
    ASSERT_TRUE(r.Open(path.c_str()));
    const WAVEFORMATEX* f = r.GetFormat();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->wFormatTag, 2);
    ASSERT_EQ(f->cbSize, 4);
    const BYTE* extra = reinterpret_cast<const BYTE*>(f) + sizeof(WAVEFORMATEX);
    EXPECT_EQ(extra[0], 0xA1);
    EXPECT_EQ(extra[3], 0xD4);
    EXPECT_EQ(r.GetSize(), 64u);
    EXPECT_FALSE(IsPlayableWaveFormat(f)); // readable, but not something the buffers play
}

TEST_F(WaveReaderTest, ReadsStopAtTheEndOfTheDataChunkAcrossBufferRefills) {
    Bytes data(30001);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = (uint8_t)(i * 13 + (i >> 9));
    std::string path = Write("long.wav", Riff({Chunk("fmt ", FormatBody(1, 1, 8000, 8)), Chunk("data", data),
                                               Chunk("LIST", Bytes(40, 0xEE))}));
    WaveReader r;
    ASSERT_TRUE(r.Open(path.c_str()));
    Bytes got(40000, 0);
    DWORD n = 0;
    ASSERT_TRUE(r.Read(got.data(), 1000, &n));
    EXPECT_EQ(n, 1000u);
    ASSERT_TRUE(r.Read(got.data() + 1000, 39000, &n));
    EXPECT_EQ(n, 29001u); // the rest of the chunk, nothing of the chunk after it
    EXPECT_TRUE(std::equal(data.begin(), data.end(), got.begin()));
    EXPECT_EQ(got[30001], 0);
    ASSERT_TRUE(r.Read(got.data(), 10, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(r.GetSize(), 0u);
}

TEST_F(WaveReaderTest, BrokenFilesAreRefused) {
    Bytes fmt = FormatBody(1, 1, 8000, 8);
    Bytes data(100, 0x80);
    Bytes good = Riff({Chunk("fmt ", fmt), Chunk("data", data)});
    Bytes truncated(good.begin(), good.end() - 30);
    Bytes nonPcmShort = FormatBody(3, 1, 8000, 32); // no room for the extra count
    Bytes nonPcmOver = FormatBody(2, 1, 8000, 4);
    Put16(nonPcmOver, 200); // more extra bytes than the chunk holds
    Bytes notWave = good;
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    Bytes garbage(300);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = (uint8_t)(i * 37 + 11);

    struct Case {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"garbage", garbage},
        {"header only", Bytes(good.begin(), good.begin() + 12)},
        {"truncated", truncated},
        {"not wave", notWave},
        {"no fmt", Riff({Chunk("data", data)})},
        {"short fmt", Riff({Chunk("fmt ", Bytes(fmt.begin(), fmt.begin() + 14)), Chunk("data", data)})},
        {"no data", Riff({Chunk("fmt ", fmt)})},
        {"oversize data", Riff({Chunk("fmt ", fmt), Chunk("data", data, 0x40000000)})},
        {"oversize fmt", Riff({Chunk("fmt ", fmt, 0xFFFFFFF0), Chunk("data", data)})},
        {"oversize riff", Riff({Chunk("fmt ", fmt), Chunk("data", data)}, 0xFFFFFFFF)},
        {"non-PCM without count", Riff({Chunk("fmt ", nonPcmShort), Chunk("data", data)})},
        {"non-PCM extra past chunk", Riff({Chunk("fmt ", nonPcmOver), Chunk("data", data)})},
    };
    WaveReader r;
    ASSERT_TRUE(r.Open(Write("good.wav", good).c_str()));
    for (const Case& c : cases) {
        std::string path = Write("bad.wav", c.bytes);
        EXPECT_FALSE(r.Open(path.c_str())) << c.name;
        EXPECT_EQ(r.GetFormat(), nullptr) << c.name;
        DWORD n = 1;
        BYTE b;
        EXPECT_FALSE(r.Read(&b, 1, &n)) << c.name;
        EXPECT_EQ(n, 0u) << c.name;
    }
    EXPECT_FALSE(r.Open(dir.File("missing.wav").c_str()));
    // The reader is still usable after failures.
    ASSERT_TRUE(r.Open(dir.File("good.wav").c_str()));
    EXPECT_EQ(r.GetSize(), 100u);
}

TEST(WaveFormatTest, OnlySaneFormatsArePlayable) {
    auto make = [](WORD tag, WORD ch, DWORD rate, WORD bits, WORD align) {
        WAVEFORMATEX f{};
        f.wFormatTag = tag;
        f.nChannels = ch;
        f.nSamplesPerSec = rate;
        f.wBitsPerSample = bits;
        f.nBlockAlign = align;
        f.nAvgBytesPerSec = rate * align;
        return f;
    };
    WAVEFORMATEX ok[] = {make(1, 1, 8000, 8, 1), make(1, 2, 44100, 16, 4), make(1, 1, 1000, 16, 2),
                         make(1, 2, 192000, 8, 2)};
    for (const auto& f : ok)
        EXPECT_TRUE(IsPlayableWaveFormat(&f)) << f.nChannels << " " << f.nSamplesPerSec;
    WAVEFORMATEX bad[] = {make(0, 0, 0, 0, 0),      make(1, 0, 44100, 16, 0),  make(1, 3, 44100, 16, 6),
                          make(1, 2, 999, 16, 4),   make(1, 2, 192001, 16, 4), make(1, 2, 44100, 24, 6),
                          make(1, 2, 44100, 16, 2), make(3, 2, 44100, 16, 4)};
    for (const auto& f : bad)
        EXPECT_FALSE(IsPlayableWaveFormat(&f)) << f.nChannels << " " << f.nSamplesPerSec;
    EXPECT_FALSE(IsPlayableWaveFormat(nullptr));
}
