// The multimedia file functions: chunk navigation, bounds and the direct buffer access the WAV reader uses.
#include <mmsystem.h>

#include "WaveTestWriter.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace wavetest;

namespace {

struct MmioTest : ::testing::Test {
    ScratchDir dir{"mmio"};
    HMMIO Open(const Bytes& bytes, DWORD flags = MMIO_ALLOCBUF | MMIO_READ) {
        std::string path = dir.File("f.bin");
        EXPECT_TRUE(WriteFile(path, bytes));
        return mmioOpenA(path.c_str(), nullptr, flags);
    }
};

LONG Tell(HMMIO h) {
    return mmioSeek(h, 0, SEEK_CUR);
}

} // namespace

TEST_F(MmioTest, DescendFindsChunksPastOddPaddedOnesAndAscendSkipsThePad) {
    Bytes odd = {1, 2, 3};
    Bytes fmt = FormatBody(1, 1, 8000, 8);
    Bytes data = {10, 20, 30, 40, 50};
    Bytes file = Riff({Chunk("junk", odd), Chunk("fmt ", fmt), Chunk("data", data)});
    HMMIO h = Open(file);
    ASSERT_NE(h, nullptr);

    MMCKINFO riff{};
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(riff.ckid, FOURCC_RIFF);
    EXPECT_EQ(riff.fccType, mmioFOURCC('W', 'A', 'V', 'E'));
    EXPECT_EQ(riff.dwDataOffset, 8u); // the form type is the first thing in the data
    EXPECT_EQ(riff.cksize, (DWORD)file.size() - 8);
    EXPECT_EQ(Tell(h), 12); // past the form type

    MMCKINFO ck{};
    ck.ckid = mmioFOURCC('d', 'a', 't', 'a');
    ASSERT_EQ(mmioDescend(h, &ck, &riff, MMIO_FINDCHUNK), (MMRESULT)MMSYSERR_NOERROR);
    // RIFF(8) WAVE(4) junk(8+3+pad) fmt(8+16) data header(8).
    EXPECT_EQ(ck.dwDataOffset, 12u + 12u + 24u + 8u);
    EXPECT_EQ(ck.cksize, 5u);
    EXPECT_EQ(Tell(h), (LONG)ck.dwDataOffset);
    char got[5];
    ASSERT_EQ(mmioRead(h, got, 5), 5);
    EXPECT_EQ(got[4], 50);

    // Ascending out of the odd chunk lands past its pad byte, at the end of the file.
    ASSERT_EQ(mmioAscend(h, &ck, 0), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(Tell(h), (LONG)file.size());

    // The junk chunk, found from the start, ascends past its pad to the "fmt " chunk.
    ASSERT_EQ(mmioSeek(h, 12, SEEK_SET), 12);
    MMCKINFO junk{};
    junk.ckid = mmioFOURCC('j', 'u', 'n', 'k');
    ASSERT_EQ(mmioDescend(h, &junk, &riff, MMIO_FINDCHUNK), (MMRESULT)MMSYSERR_NOERROR);
    ASSERT_EQ(mmioAscend(h, &junk, 0), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(Tell(h), 24);
    mmioClose(h, 0);
}

TEST_F(MmioTest, ChunksClaimingMoreThanTheFileOrTheirParentAreNotFound) {
    Bytes fmt = FormatBody(1, 1, 8000, 8);
    Bytes data = {1, 2, 3, 4};

    // A RIFF size beyond the end of the file.
    Bytes longRiff = Riff({Chunk("fmt ", fmt), Chunk("data", data)}, 0x7FFFFFF0);
    HMMIO h = Open(longRiff);
    ASSERT_NE(h, nullptr);
    MMCKINFO riff{};
    EXPECT_EQ(mmioDescend(h, &riff, nullptr, 0), (MMRESULT)MMIOERR_CHUNKNOTFOUND);
    mmioClose(h, 0);

    // A data size beyond the end of the file, and one of 0xFFFFFFFF (no wrap-around of the offsets).
    for (int64_t size : {int64_t(1000), int64_t(0xFFFFFFFF)}) {
        Bytes file = Riff({Chunk("fmt ", fmt), Chunk("data", data, size)});
        h = Open(file);
        ASSERT_NE(h, nullptr);
        riff = MMCKINFO{};
        ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), (MMRESULT)MMSYSERR_NOERROR);
        MMCKINFO ck{};
        ck.ckid = mmioFOURCC('d', 'a', 't', 'a');
        EXPECT_EQ(mmioDescend(h, &ck, &riff, MMIO_FINDCHUNK), (MMRESULT)MMIOERR_CHUNKNOTFOUND) << size;
        mmioClose(h, 0);
    }

    // A sub-chunk that runs past its parent's end, inside the file.
    Bytes inner = Riff({Chunk("fmt ", fmt)});
    Bytes file = inner;
    Append(file, Chunk("data", Bytes(64, 7)));
    file[16] = 40; // the "fmt " size now reaches into the bytes after the RIFF chunk
    h = Open(file);
    ASSERT_NE(h, nullptr);
    riff = MMCKINFO{};
    ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), (MMRESULT)MMSYSERR_NOERROR);
    MMCKINFO ck{};
    ck.ckid = mmioFOURCC('f', 'm', 't', ' ');
    EXPECT_EQ(mmioDescend(h, &ck, &riff, MMIO_FINDCHUNK), (MMRESULT)MMIOERR_CHUNKNOTFOUND);
    mmioClose(h, 0);
}

TEST_F(MmioTest, ReadsAndSeeksStopAtTheEndOfTheFile) {
    Bytes file(100);
    for (size_t i = 0; i < file.size(); ++i)
        file[i] = (uint8_t)i;
    for (DWORD flags : {DWORD(MMIO_ALLOCBUF | MMIO_READ), DWORD(MMIO_READ)}) {
        HMMIO h = Open(file, flags);
        ASSERT_NE(h, nullptr);
        char buf[256] = {};
        ASSERT_EQ(mmioSeek(h, 90, SEEK_SET), 90);
        EXPECT_EQ(mmioRead(h, buf, 256), 10);
        EXPECT_EQ((uint8_t)buf[9], 99);
        EXPECT_EQ(mmioRead(h, buf, 256), 0);
        EXPECT_EQ(mmioRead(h, buf, -1), -1);
        EXPECT_EQ(mmioSeek(h, 101, SEEK_SET), -1);
        EXPECT_EQ(mmioSeek(h, -1, SEEK_SET), -1);
        EXPECT_EQ(mmioSeek(h, 1, SEEK_END), -1);
        EXPECT_EQ(mmioSeek(h, -100, SEEK_END), 0);
        EXPECT_EQ(mmioRead(h, buf, 3), 3);
        EXPECT_EQ((uint8_t)buf[2], 2);
        mmioClose(h, 0);
    }
}

TEST_F(MmioTest, DirectBufferReadsWalkTheWholeFileThroughAdvance) {
    Bytes file(20000);
    for (size_t i = 0; i < file.size(); ++i)
        file[i] = (uint8_t)(i * 7 + i / 256);
    HMMIO h = Open(file);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(mmioSeek(h, 5, SEEK_SET), 5);
    MMIOINFO info;
    ASSERT_EQ(mmioGetInfo(h, &info, 0), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(info.cchBuffer, MMIO_DEFAULTBUFFER);
    size_t advances = 0;
    for (size_t i = 5; i < file.size(); ++i) {
        if (info.pchNext == info.pchEndRead) {
            ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), (MMRESULT)MMSYSERR_NOERROR);
            ASSERT_NE(info.pchNext, info.pchEndRead);
            ++advances;
        }
        ASSERT_EQ((uint8_t)*info.pchNext, file[i]) << "byte " << i;
        ++info.pchNext;
    }
    EXPECT_GE(advances, 3u);
    // At the end of the file an advance succeeds with an empty buffer.
    ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(info.pchNext, info.pchEndRead);
    ASSERT_EQ(mmioSetInfo(h, &info, 0), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(Tell(h), 20000);

    // A read pointer outside the buffer is refused.
    ASSERT_EQ(mmioSeek(h, 0, SEEK_SET), 0);
    ASSERT_EQ(mmioGetInfo(h, &info, 0), (MMRESULT)MMSYSERR_NOERROR);
    ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), (MMRESULT)MMSYSERR_NOERROR);
    MMIOINFO bad = info;
    bad.pchNext = info.pchEndRead + 1;
    EXPECT_EQ(mmioSetInfo(h, &bad, 0), (MMRESULT)MMSYSERR_INVALPARAM);
    EXPECT_EQ(mmioAdvance(h, &bad, MMIO_READ), (MMRESULT)MMSYSERR_INVALPARAM);
    mmioClose(h, 0);

    // Without MMIO_ALLOCBUF there is no buffer to advance.
    h = Open(file, MMIO_READ);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(mmioGetInfo(h, &info, 0), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(info.pchBuffer, nullptr);
    EXPECT_EQ(mmioAdvance(h, &info, MMIO_READ), (MMRESULT)MMIOERR_UNBUFFERED);
    mmioClose(h, 0);
}

TEST_F(MmioTest, OpenRefusesMissingFilesDirectoriesAndWriting) {
    MMIOINFO info{};
    EXPECT_EQ(mmioOpenA(dir.File("missing.wav").c_str(), &info, MMIO_ALLOCBUF | MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, (UINT)MMIOERR_FILENOTFOUND);
    EXPECT_EQ(mmioOpenA(dir.Path().c_str(), nullptr, MMIO_READ), nullptr);
    ASSERT_TRUE(WriteFile(dir.File("w.bin"), Bytes(4)));
    EXPECT_EQ(mmioOpenA(dir.File("w.bin").c_str(), nullptr, MMIO_WRITE), nullptr);
    EXPECT_EQ(mmioOpenA(nullptr, nullptr, MMIO_READ), nullptr);
}
