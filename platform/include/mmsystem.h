// Wave formats and the buffered multimedia file functions (mmio) the WAV reader uses, over a C file stream.
// Read-only: files are opened for reading; every read stops at the end of the file, and a chunk whose
// declared size runs past the end of the file (or of its parent chunk) is not found.
#pragma once

#include "wintypes.h"

#include <cstdio> // SEEK_SET, SEEK_CUR, SEEK_END for mmioSeek

typedef UINT MMRESULT;
typedef DWORD FOURCC;
typedef char* HPSTR;
typedef void* HTASK;
typedef LRESULT (*LPMMIOPROC)(LPSTR info, UINT msg, LPARAM p1, LPARAM p2);

struct HMMIO__;
typedef HMMIO__* HMMIO;

#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_INVALPARAM 11

#define MMIOERR_BASE 256
#define MMIOERR_FILENOTFOUND (MMIOERR_BASE + 1)
#define MMIOERR_OUTOFMEMORY (MMIOERR_BASE + 2)
#define MMIOERR_CANNOTOPEN (MMIOERR_BASE + 3)
#define MMIOERR_CANNOTCLOSE (MMIOERR_BASE + 4)
#define MMIOERR_CANNOTREAD (MMIOERR_BASE + 5)
#define MMIOERR_CANNOTWRITE (MMIOERR_BASE + 6)
#define MMIOERR_CANNOTSEEK (MMIOERR_BASE + 7)
#define MMIOERR_CANNOTEXPAND (MMIOERR_BASE + 8)
#define MMIOERR_CHUNKNOTFOUND (MMIOERR_BASE + 9)
#define MMIOERR_UNBUFFERED (MMIOERR_BASE + 10)

// Open flags.
#define MMIO_READ 0x00000000
#define MMIO_WRITE 0x00000001
#define MMIO_READWRITE 0x00000002
#define MMIO_CREATE 0x00001000
#define MMIO_ALLOCBUF 0x00010000
#define MMIO_DEFAULTBUFFER 8192
// Chunk flags.
#define MMIO_FINDCHUNK 0x0010
#define MMIO_FINDRIFF 0x0020
#define MMIO_FINDLIST 0x0040
#define MMIO_CREATERIFF 0x0020
#define MMIO_CREATELIST 0x0040
#define MMIO_DIRTY 0x10000000

#define mmioFOURCC(c0, c1, c2, c3)                                                                           \
    ((FOURCC)(BYTE)(c0) | ((FOURCC)(BYTE)(c1) << 8) | ((FOURCC)(BYTE)(c2) << 16) | ((FOURCC)(BYTE)(c3) << 24))
#define FOURCC_RIFF mmioFOURCC('R', 'I', 'F', 'F')
#define FOURCC_LIST mmioFOURCC('L', 'I', 'S', 'T')

// A chunk: its id, the size of its data, its form or list type (RIFF and LIST only) and the file offset of
// its data (for RIFF and LIST the data starts with the type).
struct MMCKINFO {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;
    DWORD dwDataOffset;
    DWORD dwFlags;
};
typedef MMCKINFO* LPMMCKINFO;

// The state of an open file's I/O buffer, for direct reads from it (mmioGetInfo / mmioAdvance / mmioSetInfo).
struct MMIOINFO {
    DWORD dwFlags;
    FOURCC fccIOProc;
    LPMMIOPROC pIOProc;
    UINT wErrorRet;
    HTASK htask;
    LONG cchBuffer;   // size of the I/O buffer (0 when unbuffered)
    HPSTR pchBuffer;  // start of the I/O buffer
    HPSTR pchNext;    // next byte to read
    HPSTR pchEndRead; // one past the last valid byte in the buffer
    HPSTR pchEndWrite;
    LONG lBufOffset;  // file offset of the buffer's first byte
    LONG lDiskOffset; // file offset of the byte after the buffer's last valid byte
    DWORD adwInfo[3];
    DWORD dwReserved1;
    DWORD dwReserved2;
    HMMIO hmmio;
};
typedef MMIOINFO* LPMMIOINFO;

// Opens a file for reading (MMIO_READ, optionally MMIO_ALLOCBUF for an 8192-byte buffer). Null on failure;
// when info is given its wErrorRet tells why.
HMMIO mmioOpenA(LPCSTR fileName, LPMMIOINFO info, DWORD flags);
MMRESULT mmioClose(HMMIO h, UINT flags);
// Reads up to count bytes; returns the number read (0 at the end of the file) or -1 on error.
LONG mmioRead(HMMIO h, HPSTR dst, LONG count);
// Moves within the file (SEEK_SET, SEEK_CUR, SEEK_END); returns the new offset, or -1 for a position before
// the start or past the end of the file.
LONG mmioSeek(HMMIO h, LONG offset, int origin);
// Reads the chunk header at the current position into ck. With MMIO_FINDCHUNK (ck->ckid), MMIO_FINDRIFF or
// MMIO_FINDLIST (ck->fccType) skips chunks until a match, never past the parent chunk's end.
MMRESULT mmioDescend(HMMIO h, LPMMCKINFO ck, const MMCKINFO* parent, UINT flags);
// Moves to the end of the chunk (past its pad byte).
MMRESULT mmioAscend(HMMIO h, LPMMCKINFO ck, UINT flags);
MMRESULT mmioGetInfo(HMMIO h, LPMMIOINFO info, UINT flags);
MMRESULT mmioSetInfo(HMMIO h, const MMIOINFO* info, UINT flags);
// Refills the I/O buffer from the position info->pchNext stands for. At the end of the file it succeeds with
// an empty buffer (pchNext == pchEndRead).
MMRESULT mmioAdvance(HMMIO h, LPMMIOINFO info, UINT flags);

// Wave formats.
#define WAVE_FORMAT_PCM 1

#pragma pack(push, 1)
struct WAVEFORMAT {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
};
struct PCMWAVEFORMAT {
    WAVEFORMAT wf;
    WORD wBitsPerSample;
};
// Followed by cbSize bytes of format-specific data.
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(PCMWAVEFORMAT) == 16, "PCMWAVEFORMAT is 16 bytes");
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is 18 bytes");
typedef WAVEFORMATEX* LPWAVEFORMATEX;
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;
