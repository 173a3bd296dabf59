// libFuzzer target for the WAV reader: arbitrary bytes go through the reader as a file and, when they open
// as a playable format, into a sound buffer that is filled, converted and mixed.
// Run with --write-seeds=DIR to write a few valid files into DIR first.
#include "assets/WaveReader.h"
#include <dsound.h>

#include "../unit/WaveTestWriter.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace wavetest;

namespace {

std::string g_Path;
IDirectSound8* g_pDevice = nullptr;

void WriteSeeds(const std::string& dir) {
    Bytes fmt18 = FormatBody(1, 2, 22050, 16);
    Put16(fmt18, 0);
    Bytes adpcm = FormatBody(2, 1, 22050, 4);
    Put16(adpcm, 2);
    Append(adpcm, {0xF4, 0x01});
    const Bytes seeds[] = {
        PcmWave(1, 8000, 8, Bytes(40, 0xC0)),
        PcmWave(2, 44100, 16, Constant16(32, -1200)),
        Riff({Chunk("fmt ", fmt18), Chunk("LIST", {'I', 'N', 'F', 'O', 'x'}),
              Chunk("data", Constant16(24, 700))}),
        Riff({Chunk("fmt ", adpcm), Chunk("fact", {8, 0, 0, 0}), Chunk("data", Bytes(16, 0x77))}),
        PcmWave(1, 11025, 16, Constant16(10, 32767)),
    };
    int i = 0;
    for (const Bytes& s : seeds)
        WriteFile(dir + "/seed" + std::to_string(i++) + ".wav", s);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const char* seeds = "--write-seeds=";
    for (int i = 1; i < *argc; ++i)
        if (std::strncmp((*argv)[i], seeds, std::strlen(seeds)) == 0)
            WriteSeeds((*argv)[i] + std::strlen(seeds));
    // Each input goes through a file; a memory-backed directory keeps that fast.
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp && *tmp ? tmp : "/tmp");
    g_Path = dir + "/fuzz_wave-" + std::to_string(getpid()) + ".wav";
    DirectSoundUseManualMixer(true);
    DirectSoundCreate8(nullptr, &g_pDevice, nullptr);
    std::atexit([] { std::remove(g_Path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteFile(g_Path, Bytes(data, data + size))) return 0;
    WaveReader reader;
    if (!reader.Open(g_Path.c_str())) {
        if (reader.GetFormat()) __builtin_trap(); // a failed open keeps nothing
        return 0;
    }
    const WAVEFORMATEX* f = reader.GetFormat();
    // Touch every byte of the format the reader claims to hold.
    volatile BYTE sink = 0;
    const BYTE* fb = reinterpret_cast<const BYTE*>(f);
    for (size_t i = 0; i < sizeof(WAVEFORMATEX) + f->cbSize; ++i)
        sink = sink + fb[i];
    const DWORD bytes = reader.GetSize();
    if (bytes > size) __builtin_trap(); // the data chunk lies within the file

    if (!IsPlayableWaveFormat(f) || bytes < DSBSIZE_MIN) {
        std::vector<BYTE> all(bytes + 1);
        DWORD got = 0;
        if (reader.Read(all.data(), bytes + 1, &got) && got != bytes) __builtin_trap();
        return 0;
    }
    DSBUFFERDESC desc{};
    desc.dwSize = DSBUFFERDESC_SIZE;
    desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN;
    desc.dwBufferBytes = bytes;
    desc.lpwfxFormat = const_cast<LPWAVEFORMATEX>(f);
    IDirectSoundBuffer* buffer = nullptr;
    if (FAILED(g_pDevice->CreateSoundBuffer(&desc, &buffer, nullptr)) || !buffer) return 0;
    LPVOID p1 = nullptr, p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    if (SUCCEEDED(buffer->Lock(0, bytes, &p1, &n1, &p2, &n2, 0))) {
        DWORD got = 0;
        if (!reader.Read(static_cast<BYTE*>(p1), n1, &got) || got != n1) __builtin_trap();
        buffer->Unlock(p1, n1, p2, n2);
    }
    buffer->SetVolume(-1800);
    buffer->Play(0, 0, (size & 1) ? DSBPLAY_LOOPING : 0);
    std::vector<int16_t> out(2 * 512);
    DirectSoundMixForTest(g_pDevice, out.data(), 512);
    buffer->Release();
    return 0;
}
