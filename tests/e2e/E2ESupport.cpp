#include "tests/e2e/E2ESupport.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace e2e {

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::vector<std::string> FileLines(const fs::path& p) {
    return TextLines(ReadText(p));
}

std::string RawValue(const std::string& json, const std::string& key, size_t from) {
    const std::string needle = "\"" + key + "\":";
    size_t at = json.find(needle, from);
    if (at == std::string::npos) return "<missing>";
    at += needle.size();
    size_t end = at;
    int depth = 0;
    bool inString = false;
    for (; end < json.size(); ++end) {
        const char c = json[end];
        if (inString) {
            if (c == '"') inString = false;
            continue;
        }
        if (c == '"') inString = true;
        if (c == '[' || c == '{') ++depth;
        if (c == ']' || c == '}') {
            if (depth == 0) break;
            --depth;
        }
        if (c == ',' && depth == 0) break;
    }
    return json.substr(at, end - at);
}

long long IntValue(const std::string& json, const std::string& key) {
    return std::atoll(RawValue(json, key).c_str());
}

double NumValue(const std::string& json, const std::string& key) {
    return std::atof(RawValue(json, key).c_str());
}

double NumberAfter(const std::string& json, const std::string& key, size_t from) {
    const std::string needle = "\"" + key + "\":";
    const size_t at = json.find(needle, from);
    if (at == std::string::npos) return NAN;
    return std::atof(json.c_str() + at + needle.size());
}

std::vector<double> Numbers(const std::string& json, const std::string& key) {
    std::vector<double> out;
    const std::string needle = "\"" + key + "\":";
    size_t at = json.find(needle);
    if (at == std::string::npos) return out;
    at += needle.size();
    const bool array = json[at] == '[';
    const char* p = json.c_str() + at + (array ? 1 : 0);
    for (;;) {
        char* end = nullptr;
        const double v = std::strtod(p, &end);
        if (end == p) break;
        out.push_back(v);
        if (!array || *end != ',') break;
        p = end + 1;
    }
    return out;
}

double PlayerField(const std::string& line, const std::string& field) {
    const size_t at = line.find("\"player\":{");
    if (at == std::string::npos) return NAN;
    const std::vector<double> v = Numbers(RawValue(line, "player"), field);
    return v.empty() ? NAN : v[0];
}

int FirstProc(const std::vector<std::string>& lines, int from, const std::string& proc) {
    for (int i = std::max(from, 0); i < (int)lines.size(); ++i)
        if (RawValue(lines[i], "proc") == "\"" + proc + "\"") return i;
    return -1;
}

ScreenPoint ProjectOnTitle(double ax, double atZ, double px, double py, double pz) {
    const double eyeY = 50.0 * std::sin(1.0471976), eyeZ = atZ - 50.0 * std::cos(1.0471976);
    // View axes: forward (0, -sin 60, cos 60), right (1, 0, 0), up (0, cos 60, sin 60).
    const double dx = px - ax, dy = py - eyeY, dz = pz - eyeZ;
    const double s = std::sin(1.0471976), c = std::cos(1.0471976);
    const double depth = -dy * s + dz * c;
    const double up = dy * c + dz * s;
    const double ndcX = dx * 0.75 / depth, ndcY = up / depth;
    return {(int)std::lround((ndcX + 1.0) * 320.0), (int)std::lround((1.0 - ndcY) * 240.0)};
}

int Shell(const std::string& cmd) {
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int WaitExit(pid_t pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0) return -1;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool RgbImage::Load(const fs::path& png) {
    int n = 0;
    unsigned char* data = stbi_load(png.c_str(), &m_W, &m_H, &n, 3);
    if (!data) return false;
    m_Px.assign(data, data + (size_t)m_W * m_H * 3);
    stbi_image_free(data);
    return true;
}

size_t RgbImage::DistinctColours() const {
    std::set<unsigned> colours;
    for (size_t i = 0; i + 2 < m_Px.size(); i += 3)
        colours.insert((unsigned)m_Px[i] << 16 | (unsigned)m_Px[i + 1] << 8 | m_Px[i + 2]);
    return colours.size();
}

size_t RgbImage::LitPixels() const {
    size_t n = 0;
    for (size_t i = 0; i + 2 < m_Px.size(); i += 3)
        if (m_Px[i] || m_Px[i + 1] || m_Px[i + 2]) ++n;
    return n;
}

bool WriteBlackPng(const fs::path& p) {
    std::vector<unsigned char> black(8 * 4 * 4, 0);
    for (size_t i = 3; i < black.size(); i += 4)
        black[i] = 255;
    return stbi_write_png(p.c_str(), 8, 4, 4, black.data(), 8 * 4) != 0;
}

void GameDirTest::MakeDir(const std::string& name) {
    m_Scratch.reset(new ScratchDir(name));
    ASSERT_FALSE(m_Scratch->Path().empty());
    dir = m_Scratch->Path();
}

void GameDirTest::TearDown() {
    m_Scratch.reset();
}

void GameDirTest::LinkRuntime(std::initializer_list<const char*> folders) {
    const fs::path src = BW_SOURCE_DIR;
    for (const char* sub : folders)
        if (fs::exists(src / sub)) fs::create_directory_symlink(src / sub, dir / sub);
}

void GameDirTest::LinkShaderOnly() {
    fs::create_directories(dir / "data");
    fs::create_symlink(fs::path(BW_SOURCE_DIR) / "data" / "shader.fx", dir / "data" / "shader.fx");
}

bool GameDirTest::AssetsGenerated(std::initializer_list<const char*> files) {
    const fs::path src = BW_SOURCE_DIR;
    for (const char* f : files)
        if (!fs::exists(src / f)) return false;
    return true;
}

bool GameDirTest::MakeRuntimeDir(const std::string& name, std::initializer_list<const char*> generated) {
    if (!AssetsGenerated(generated)) return false;
    MakeDir(name);
    LinkRuntime({"data", "image", "xfile", "sound"});
    return true;
}

int GameDirTest::RunGame(const std::string& args, const std::string& prefix) {
    return Shell("cd '" + dir.string() + "' && SDL_AUDIODRIVER=dummy " + prefix + " '" BW_BINARY "' " + args +
                 " > stdout.txt 2> stderr.txt");
}

pid_t GameDirTest::StartGame(const std::string& args) {
    const std::string cmd = "cd '" + dir.string() + "' && SDL_AUDIODRIVER=dummy exec '" BW_BINARY "' " +
                            args + " > stdout.txt 2> stderr.txt";
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", cmd.c_str(), (char*)nullptr);
        _exit(127);
    }
    return pid;
}

} // namespace e2e
