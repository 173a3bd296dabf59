// Buffered, read-only multimedia file I/O over std::FILE. Offsets are kept in 64 bits inside and every read
// is limited to the file's size as found at open, so a hostile chunk size can never make us read past it.
#include "mmsystem.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

struct HMMIO__ {
    std::FILE* file = nullptr;
    int64_t size = 0;         // bytes in the file
    int64_t pos = 0;          // logical position (the next byte to read)
    DWORD flags = 0;          // open flags
    std::vector<char> buffer; // empty when unbuffered
    int64_t bufOffset = 0;    // file offset of buffer[0]
    int64_t bufValid = 0;     // valid bytes in the buffer
};

namespace {

bool InWindow(const HMMIO__* h, int64_t pos) {
    return !h->buffer.empty() && pos >= h->bufOffset && pos < h->bufOffset + h->bufValid;
}

// Fills the buffer with the bytes from pos on. Returns false on a read error (the buffer is then empty).
bool Fill(HMMIO__* h, int64_t pos) {
    h->bufOffset = pos;
    h->bufValid = 0;
    if (pos >= h->size) return true;
    if (fseeko(h->file, (off_t)pos, SEEK_SET) != 0) return false;
    int64_t want = h->size - pos;
    if (want > (int64_t)h->buffer.size()) want = (int64_t)h->buffer.size();
    size_t got = std::fread(h->buffer.data(), 1, (size_t)want, h->file);
    h->bufValid = (int64_t)got;
    return got > 0 || !std::ferror(h->file);
}

uint32_t ReadLE32(const unsigned char* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// Reads exactly n bytes at the current position, or fails.
bool ReadExact(HMMIO h, void* dst, LONG n) {
    return mmioRead(h, (HPSTR)dst, n) == n;
}

// True when p lies within [lo, hi] (compared as addresses, so a foreign pointer is simply outside).
bool PointerWithin(const char* p, const char* lo, const char* hi) {
    uintptr_t a = (uintptr_t)p;
    return a >= (uintptr_t)lo && a <= (uintptr_t)hi;
}

// Takes the caller's read pointer back into the logical position; fails for a pointer outside the buffer.
bool TakeReadPointer(HMMIO__* h, const MMIOINFO* info) {
    if (h->buffer.empty()) return true;
    char* base = h->buffer.data();
    if (info->pchBuffer != base) return false;
    if (!PointerWithin(info->pchNext, base, base + h->bufValid)) return false;
    h->pos = h->bufOffset + (int64_t)((uintptr_t)info->pchNext - (uintptr_t)base);
    return true;
}

void DescribeBuffer(HMMIO__* h, LPMMIOINFO info) {
    std::memset(info, 0, sizeof(*info));
    info->dwFlags = h->flags;
    info->hmmio = h;
    if (h->buffer.empty()) {
        info->lDiskOffset = (LONG)h->pos;
        return;
    }
    if (h->pos < h->bufOffset || h->pos > h->bufOffset + h->bufValid) {
        // The position moved away from the buffer (a seek): start an empty buffer there.
        h->bufOffset = h->pos;
        h->bufValid = 0;
    }
    char* base = h->buffer.data();
    info->cchBuffer = (LONG)h->buffer.size();
    info->pchBuffer = base;
    info->pchNext = base + (h->pos - h->bufOffset);
    info->pchEndRead = base + h->bufValid;
    info->pchEndWrite = base + h->buffer.size();
    info->lBufOffset = (LONG)h->bufOffset;
    info->lDiskOffset = (LONG)(h->bufOffset + h->bufValid);
}

} // namespace

HMMIO mmioOpenA(LPCSTR fileName, LPMMIOINFO info, DWORD flags) {
    auto fail = [info](UINT err) -> HMMIO {
        if (info) info->wErrorRet = err;
        return nullptr;
    };
    if (!fileName) return fail(MMSYSERR_INVALPARAM);
    if (flags & (MMIO_WRITE | MMIO_READWRITE | MMIO_CREATE)) return fail(MMIOERR_CANNOTOPEN); // read-only
    std::FILE* f = std::fopen(fileName, "rb");
    if (!f) return fail(MMIOERR_FILENOTFOUND);
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > (off_t)std::numeric_limits<LONG>::max()) {
        std::fclose(f);
        return fail(MMIOERR_CANNOTOPEN);
    }
    HMMIO h = new (std::nothrow) HMMIO__;
    if (!h) {
        std::fclose(f);
        return fail(MMIOERR_OUTOFMEMORY);
    }
    h->file = f;
    h->size = (int64_t)st.st_size;
    h->flags = flags;
    if (flags & MMIO_ALLOCBUF) {
        LONG cch = (info && info->cchBuffer > 0) ? info->cchBuffer : MMIO_DEFAULTBUFFER;
        h->buffer.assign((size_t)cch, 0);
    }
    if (info) info->wErrorRet = MMSYSERR_NOERROR;
    return h;
}

MMRESULT mmioClose(HMMIO h, UINT flags) {
    (void)flags;
    if (!h) return MMSYSERR_INVALHANDLE;
    int rc = std::fclose(h->file);
    delete h;
    return rc == 0 ? MMSYSERR_NOERROR : MMIOERR_CANNOTCLOSE;
}

LONG mmioRead(HMMIO h, HPSTR dst, LONG count) {
    if (!h || count < 0 || (!dst && count > 0)) return -1;
    LONG total = 0;
    while (total < count && h->pos < h->size) {
        if (!h->buffer.empty()) {
            if (!InWindow(h, h->pos)) {
                if (!Fill(h, h->pos)) return total > 0 ? total : -1;
                if (h->bufValid == 0) break;
            }
            int64_t avail = h->bufOffset + h->bufValid - h->pos;
            int64_t n = count - total;
            if (n > avail) n = avail;
            std::memcpy(dst + total, h->buffer.data() + (h->pos - h->bufOffset), (size_t)n);
            h->pos += n;
            total += (LONG)n;
        } else {
            if (fseeko(h->file, (off_t)h->pos, SEEK_SET) != 0) return total > 0 ? total : -1;
            int64_t n = count - total;
            if (n > h->size - h->pos) n = h->size - h->pos;
            size_t got = std::fread(dst + total, 1, (size_t)n, h->file);
            if (got == 0) {
                if (std::ferror(h->file)) return total > 0 ? total : -1;
                break;
            }
            h->pos += (int64_t)got;
            total += (LONG)got;
        }
    }
    return total;
}

LONG mmioSeek(HMMIO h, LONG offset, int origin) {
    if (!h) return -1;
    int64_t base;
    switch (origin) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = h->pos;
        break;
    case SEEK_END:
        base = h->size;
        break;
    default:
        return -1;
    }
    int64_t target = base + offset;
    if (target < 0 || target > h->size) return -1;
    h->pos = target;
    return (LONG)target;
}

MMRESULT mmioDescend(HMMIO h, LPMMCKINFO ck, const MMCKINFO* parent, UINT flags) {
    if (!h || !ck) return MMSYSERR_INVALPARAM;
    int64_t end = h->size;
    if (parent) {
        int64_t parentEnd = (int64_t)parent->dwDataOffset + parent->cksize;
        if (parentEnd < end) end = parentEnd;
    }
    const FOURCC wantId = ck->ckid, wantType = ck->fccType;
    for (;;) {
        if (h->pos + 8 > end) return MMIOERR_CHUNKNOTFOUND;
        unsigned char head[8];
        if (!ReadExact(h, head, 8)) return MMIOERR_CHUNKNOTFOUND;
        FOURCC id = ReadLE32(head);
        DWORD size = ReadLE32(head + 4);
        int64_t dataOffset = h->pos;
        // A chunk that claims more bytes than its parent (or the file) holds is broken.
        if (dataOffset + (int64_t)size > end) return MMIOERR_CHUNKNOTFOUND;
        bool typed = id == FOURCC_RIFF || id == FOURCC_LIST;
        FOURCC type = 0;
        if (typed) {
            unsigned char t[4];
            if (size < 4 || !ReadExact(h, t, 4)) return MMIOERR_CHUNKNOTFOUND;
            type = ReadLE32(t);
        }
        bool match;
        if (flags & MMIO_FINDCHUNK)
            match = id == wantId;
        else if (flags & MMIO_FINDRIFF)
            match = id == FOURCC_RIFF && type == wantType;
        else if (flags & MMIO_FINDLIST)
            match = id == FOURCC_LIST && type == wantType;
        else
            match = true;
        if (match) {
            ck->ckid = id;
            ck->cksize = size;
            ck->fccType = type;
            ck->dwDataOffset = (DWORD)dataOffset;
            ck->dwFlags = 0;
            return MMSYSERR_NOERROR;
        }
        int64_t next = dataOffset + (int64_t)size + (size & 1);
        if (next > end) return MMIOERR_CHUNKNOTFOUND;
        h->pos = next;
    }
}

MMRESULT mmioAscend(HMMIO h, LPMMCKINFO ck, UINT flags) {
    (void)flags;
    if (!h || !ck) return MMSYSERR_INVALPARAM;
    if (ck->dwFlags & MMIO_DIRTY) return MMIOERR_CANNOTWRITE;
    int64_t target = (int64_t)ck->dwDataOffset + ck->cksize + (ck->cksize & 1);
    // A last chunk of odd size may lack its pad byte.
    if (target == h->size + 1 && (ck->cksize & 1)) target = h->size;
    if (target > h->size) return MMIOERR_CANNOTSEEK;
    h->pos = target;
    return MMSYSERR_NOERROR;
}

MMRESULT mmioGetInfo(HMMIO h, LPMMIOINFO info, UINT flags) {
    (void)flags;
    if (!h) return MMSYSERR_INVALHANDLE;
    if (!info) return MMSYSERR_INVALPARAM;
    DescribeBuffer(h, info);
    return MMSYSERR_NOERROR;
}

MMRESULT mmioSetInfo(HMMIO h, const MMIOINFO* info, UINT flags) {
    (void)flags;
    if (!h) return MMSYSERR_INVALHANDLE;
    if (!info) return MMSYSERR_INVALPARAM;
    return TakeReadPointer(h, info) ? MMSYSERR_NOERROR : MMSYSERR_INVALPARAM;
}

MMRESULT mmioAdvance(HMMIO h, LPMMIOINFO info, UINT flags) {
    if (!h) return MMSYSERR_INVALHANDLE;
    if (h->buffer.empty()) return MMIOERR_UNBUFFERED;
    if (flags & (MMIO_WRITE | MMIO_READWRITE)) return MMIOERR_CANNOTWRITE;
    if (info && !TakeReadPointer(h, info)) return MMSYSERR_INVALPARAM;
    bool ok = Fill(h, h->pos);
    if (info) DescribeBuffer(h, info);
    return ok ? MMSYSERR_NOERROR : MMIOERR_CANNOTREAD;
}
