#include "assets/WaveReader.h"

#include <cstdio>
#include <cstring>
#include <new>

void WaveReader::FreeFormat() {
    delete[] reinterpret_cast<BYTE*>(m_pFormat);
    m_pFormat = nullptr;
}

bool WaveReader::Open(const char* path) {
    Close();
    if (Parse(path)) return true;
    Close(); // a failed open leaves no file and no format behind
    return false;
}

bool WaveReader::Parse(const char* path) {
    m_hFile = mmioOpenA(path, nullptr, MMIO_ALLOCBUF | MMIO_READ);
    if (!m_hFile) return false;

    if (mmioDescend(m_hFile, &m_ckRiff, nullptr, 0) != MMSYSERR_NOERROR) return false;
    if (m_ckRiff.ckid != FOURCC_RIFF || m_ckRiff.fccType != mmioFOURCC('W', 'A', 'V', 'E')) return false;

    MMCKINFO ckIn{};
    ckIn.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(m_hFile, &ckIn, &m_ckRiff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
    if (ckIn.cksize < sizeof(PCMWAVEFORMAT)) return false;
    PCMWAVEFORMAT pcm;
    if (mmioRead(m_hFile, reinterpret_cast<HPSTR>(&pcm), sizeof(pcm)) != (LONG)sizeof(pcm)) return false;

    if (pcm.wf.wFormatTag == WAVE_FORMAT_PCM) {
        m_pFormat = reinterpret_cast<WAVEFORMATEX*>(new (std::nothrow) BYTE[sizeof(WAVEFORMATEX)]);
        if (!m_pFormat) return false;
        std::memcpy(m_pFormat, &pcm, sizeof(pcm));
        m_pFormat->cbSize = 0;
    } else {
        // The count of extra bytes and the bytes themselves must lie within the "fmt " chunk.
        WORD extra = 0;
        if (ckIn.cksize < sizeof(WAVEFORMATEX)) return false;
        if (mmioRead(m_hFile, reinterpret_cast<HPSTR>(&extra), sizeof(extra)) != (LONG)sizeof(extra))
            return false;
        if ((DWORD)sizeof(WAVEFORMATEX) + extra > ckIn.cksize) return false;
        m_pFormat = reinterpret_cast<WAVEFORMATEX*>(new (std::nothrow) BYTE[sizeof(WAVEFORMATEX) + extra]);
        if (!m_pFormat) return false;
        std::memcpy(m_pFormat, &pcm, sizeof(pcm));
        m_pFormat->cbSize = extra;
        HPSTR after = reinterpret_cast<HPSTR>(m_pFormat) + sizeof(WAVEFORMATEX);
        if (mmioRead(m_hFile, after, extra) != extra) {
            FreeFormat();
            return false;
        }
    }

    if (mmioAscend(m_hFile, &ckIn, 0) != MMSYSERR_NOERROR) {
        FreeFormat();
        return false;
    }

    // Back to the first chunk after the form type, then find the samples.
    if (mmioSeek(m_hFile, (LONG)(m_ckRiff.dwDataOffset + sizeof(FOURCC)), SEEK_SET) == -1) return false;
    m_ckData = MMCKINFO{};
    m_ckData.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(m_hFile, &m_ckData, &m_ckRiff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
    return true;
}

bool WaveReader::Read(BYTE* dst, DWORD count, DWORD* read) {
    if (read) *read = 0;
    if (!m_hFile || (!dst && count > 0)) return false;
    MMIOINFO info;
    if (mmioGetInfo(m_hFile, &info, 0) != MMSYSERR_NOERROR) return false;

    DWORD n = count < m_ckData.cksize ? count : m_ckData.cksize;
    m_ckData.cksize -= n;
    for (DWORD i = 0; i < n; ++i) {
        if (info.pchNext == info.pchEndRead) {
            if (mmioAdvance(m_hFile, &info, MMIO_READ) != MMSYSERR_NOERROR) return false;
            if (info.pchNext == info.pchEndRead) return false;
        }
        dst[i] = (BYTE)*info.pchNext;
        ++info.pchNext;
    }
    if (mmioSetInfo(m_hFile, &info, 0) != MMSYSERR_NOERROR) return false;
    if (read) *read = n;
    return true;
}

void WaveReader::Close() {
    if (m_hFile) {
        mmioClose(m_hFile, 0);
        m_hFile = nullptr;
    }
    FreeFormat();
    m_ckData = MMCKINFO{};
    m_ckRiff = MMCKINFO{};
}

bool IsPlayableWaveFormat(const WAVEFORMATEX* f) {
    if (!f || f->wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f->nChannels < 1 || f->nChannels > 2) return false;
    if (f->wBitsPerSample != 8 && f->wBitsPerSample != 16) return false;
    if (f->nSamplesPerSec < 1000 || f->nSamplesPerSec > 192000) return false;
    return f->nBlockAlign == f->nChannels * f->wBitsPerSample / 8;
}
