// What the end-to-end tests share: running the game binary in a scratch working directory, reading its
// files and trace lines, and loading its screenshots.
#pragma once

#include "tests/support/ScratchDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;

// ---- Files and text

// The whole file as bytes; empty when it cannot be read.
std::string ReadText(const fs::path& p);
// The lines of a text, without their line feeds.
std::vector<std::string> TextLines(const std::string& text);
// The lines of a file (a trace: one JSON object per line).
std::vector<std::string> FileLines(const fs::path& p);

// ---- Trace lines

// The raw text of the first value under "key": in a piece of JSON: a number, a string with its quotes,
// null, [..] or {..}; "<missing>" when the key is not there. Searching starts at `from`.
std::string RawValue(const std::string& json, const std::string& key, size_t from = 0);
// That value read as a whole number (0 when it is not one).
long long IntValue(const std::string& json, const std::string& key);
// That value read as a number (0 when it is not one).
double NumValue(const std::string& json, const std::string& key);
// The number right after "key": at or after `from`; NaN when the key is missing.
double NumberAfter(const std::string& json, const std::string& key, size_t from = 0);
// The numbers of a value: one for a number, each element for an array of numbers; empty when missing.
std::vector<double> Numbers(const std::string& json, const std::string& key);
// A field of the "player" object of a trace line; NaN when the player is null or the field missing.
double PlayerField(const std::string& line, const std::string& field);
// The index of the first line from `from` on whose "proc" is proc; -1 when there is none.
int FirstProc(const std::vector<std::string>& lines, int from, const std::string& proc);

// ---- The title's picture

// The title camera looks down at 60 degrees onto (ax, 0, atZ) from 50 units away, with a 90-degree vertical
// field of view at 4:3: where a world point lands in 640 x 480 space.
struct ScreenPoint {
    int x, y;
};
ScreenPoint ProjectOnTitle(double ax, double atZ, double px, double py, double pz);

// ---- Processes

// Runs a shell command; its exit code, or -1 when it did not exit normally.
int Shell(const std::string& cmd);
// Waits at most timeoutMs for a child process to end: its exit code, -1 when a signal ended it, -2 when it
// was still running (it is then killed).
int WaitExit(pid_t pid, int timeoutMs);

// ---- Screenshots

// An RGB image loaded from a PNG.
class RgbImage {
  public:
    bool Load(const fs::path& png);
    int W() const { return m_W; }
    int H() const { return m_H; }
    const unsigned char* At(int x, int y) const { return &m_Px[((size_t)y * m_W + x) * 3]; }
    const std::vector<unsigned char>& Bytes() const { return m_Px; }
    // How many different colours the image holds, and how many of its pixels are not black.
    size_t DistinctColours() const;
    size_t LitPixels() const;

  private:
    int m_W = 0, m_H = 0;
    std::vector<unsigned char> m_Px;
};

// An 8 x 4 all-black opaque PNG (a fade overlay whose colour does not depend on the generated assets).
bool WriteBlackPng(const fs::path& p);

// ---- A scratch working directory for the game

// A fixture with a fresh scratch directory, removed after the test. Runs the game binary there with
// SDL_AUDIODRIVER=dummy, its standard output and error in stdout.txt and stderr.txt.
class GameDirTest : public ::testing::Test {
  protected:
    // Makes the directory; name is a short word for its name (bw-<name>-XXXXXX in the temporary folder).
    void MakeDir(const std::string& name);
    void TearDown() override;
    // Links these folders of the repository's runtime tree into the directory (those that exist).
    void LinkRuntime(std::initializer_list<const char*> folders);
    // data/ with only the repository's effect file linked into it (stage files are the test's own).
    void LinkShaderOnly();
    // Whether the generated assets are there (build/assetgen . has run).
    static bool AssetsGenerated(std::initializer_list<const char*> files);
    // MakeDir with the whole runtime tree (data, image, xfile, sound) linked in; false, with nothing made,
    // when these generated files are missing.
    bool MakeRuntimeDir(const std::string& name, std::initializer_list<const char*> generated);
    // Runs the game binary with these arguments; its exit code. prefix is a command the binary runs under
    // ("env -u DISPLAY").
    int RunGame(const std::string& args, const std::string& prefix = "");
    // Starts the game binary the same way without waiting; its process id (-1 when it cannot start).
    pid_t StartGame(const std::string& args);
    std::string Err() const { return ReadText(dir / "stderr.txt"); }

    fs::path dir;

  private:
    std::unique_ptr<ScratchDir> m_Scratch;
};

} // namespace e2e
