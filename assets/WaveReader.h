// Reads the samples of a RIFF/WAVE file through the multimedia file functions.
#pragma once

#include <mmsystem.h>

class WaveReader {
  public:
    WaveReader() = default;
    ~WaveReader() { Close(); }
    WaveReader(const WaveReader&) = delete;
    WaveReader& operator=(const WaveReader&) = delete;

    // Parses the header and stops at the start of the "data" chunk. False when the file is missing, not
    // RIFF/WAVE, or its "fmt " or "data" chunk is missing, cut short or larger than the file.
    bool Open(const char* path);
    // Copies the next min(count, bytes left in the data chunk) bytes to dst; *read receives that number.
    bool Read(BYTE* dst, DWORD count, DWORD* read);
    // Closes the file and frees the format.
    void Close();

    // The file's format with cbSize and any extra format bytes after it (null before a successful Open).
    const WAVEFORMATEX* GetFormat() const { return m_pFormat; }
    // Bytes of the data chunk not yet read.
    DWORD GetSize() const { return m_ckData.cksize; }

  private:
    bool Parse(const char* path);
    void FreeFormat();

    WAVEFORMATEX* m_pFormat = nullptr; // 18 + cbSize bytes
    HMMIO m_hFile = nullptr;
    MMCKINFO m_ckData{};
    MMCKINFO m_ckRiff{};
};

// True for a format the sound buffers can play: PCM, 1 or 2 channels, 8 or 16 bits, 1000 to 192000 samples
// per second, and a block size of channels × bytes per sample.
bool IsPlayableWaveFormat(const WAVEFORMATEX* format);
