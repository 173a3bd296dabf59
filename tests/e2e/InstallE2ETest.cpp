// `cmake --install` into a scratch prefix: the installed tree, the desktop entry and icon, and the launcher
// running the game headless from another folder (also through a link, and after the tree has moved).
#include "stb_image.h"

#include "tests/e2e/E2ESupport.h"

#include <string>
#include <unistd.h>
#include <vector>

using namespace e2e;

namespace {

size_t CountFiles(const fs::path& dir, const std::string& ending) {
    size_t n = 0;
    if (!fs::is_directory(dir)) return 0;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file() && e.path().string().size() >= ending.size() &&
            e.path().string().compare(e.path().string().size() - ending.size(), ending.size(), ending) == 0)
            ++n;
    return n;
}

bool Executable(const fs::path& p) {
    return access(p.c_str(), X_OK) == 0;
}

class InstallE2E : public GameDirTest {
  protected:
    void SetUp() override {
        MakeDir("install");
        m_Prefix = dir / "prefix";
        fs::create_directories(dir / "elsewhere");
    }
    // Runs the launcher (or what stands for it) in the folder elsewhere/ with the given flags.
    int Launch(const fs::path& launcher, const std::string& args) {
        return Shell("cd '" + (dir / "elsewhere").string() + "' && SDL_AUDIODRIVER=dummy '" +
                     launcher.string() + "' " + args + " > out.txt 2> err.txt");
    }
    std::string LaunchErr() { return ReadText(dir / "elsewhere" / "err.txt"); }

    fs::path m_Prefix;
};

} // namespace

TEST_F(InstallE2E, InstalledLauncherRunsTheGameFromAnotherFolder) {
    ASSERT_EQ(Shell("'" BW_CMAKE_COMMAND "' --install '" BW_BUILD_DIR "' --prefix '" + m_Prefix.string() +
                    "' > '" + (dir / "install.txt").string() + "' 2>&1"),
              0)
        << ReadText(dir / "install.txt");

    // The tree.
    const fs::path game = m_Prefix / "share" / "brinewisp";
    EXPECT_TRUE(Executable(m_Prefix / "bin" / "brinewisp"));
    EXPECT_TRUE(Executable(game / "brinewisp"));
    for (const char* f : {"shader.fx", "stage1.csv", "stage2.csv", "stage3.csv", "stage4.csv"})
        EXPECT_TRUE(fs::is_regular_file(game / "data" / f)) << f;
    EXPECT_EQ(CountFiles(game / "xfile", ".x"), 30u);
    // 25 pictures: the game's 23, the pause board and the volume indicator's pieces.
    EXPECT_EQ(CountFiles(game / "image", ".png") + CountFiles(game / "image", ".bmp"), 25u);
    EXPECT_EQ(CountFiles(game / "sound", ".wav"), 4u);
    EXPECT_EQ(ReadText(game / "data" / "stage1.csv"),
              ReadText(fs::path(BW_SOURCE_DIR) / "data" / "stage1.csv"));

    // The desktop entry and its icon.
    const std::string desktop = ReadText(m_Prefix / "share" / "applications" / "brinewisp.desktop");
    EXPECT_EQ(desktop.rfind("[Desktop Entry]\n", 0), 0u);
    for (const char* line : {"\nType=Application\n", "\nName=Brinewisp\n", "\nExec=brinewisp\n",
                             "\nIcon=brinewisp\n", "\nTerminal=false\n"})
        EXPECT_NE(desktop.find(line), std::string::npos) << line;
    if (Shell("command -v desktop-file-validate > /dev/null") == 0) {
        EXPECT_EQ(Shell("desktop-file-validate '" +
                        (m_Prefix / "share/applications/brinewisp.desktop").string() + "'"),
                  0);
    }
    const fs::path icon = m_Prefix / "share/icons/hicolor/256x256/apps/brinewisp.png";
    int w = 0, h = 0, channels = 0;
    ASSERT_TRUE(stbi_info(icon.c_str(), &w, &h, &channels)) << icon;
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 256);
    EXPECT_EQ(channels, 4);
    // The icon is the same on every install, and not blank: its corners are clear, its middle is not.
    const fs::path again = dir / "icon-again.png";
    ASSERT_EQ(Shell("'" BW_BUILD_DIR "/assetgen' --icon '" + again.string() + "'"), 0);
    EXPECT_EQ(ReadText(again), ReadText(icon));
    unsigned char* px = stbi_load(icon.c_str(), &w, &h, &channels, 4);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(px[3], 0);                           // top-left corner, outside the rounded tile
    EXPECT_EQ(px[(128 * 256 + 128) * 4 + 3], 255); // the jellyfish's bell
    stbi_image_free(px);

    // The launcher from another folder: the stage file and every asset are found (nothing is reported on
    // stderr), and the trace, named relative to the caller, lands beside the caller.
    ASSERT_EQ(Launch(m_Prefix / "bin" / "brinewisp",
                     "--headless --fast --seed 1 --stage 2 --frames 40 --trace t.jsonl"),
              0)
        << LaunchErr();
    EXPECT_EQ(LaunchErr(), "");
    std::vector<std::string> lines = TextLines(ReadText(dir / "elsewhere" / "t.jsonl"));
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_NE(lines.back().find("\"proc\":\"GameUpdate\",\"scene\":1,\"stage\":2,"), std::string::npos);
    EXPECT_EQ(lines.back().find("\"obstacles\":0,"), std::string::npos) << "stage 2 has its rocks";
    EXPECT_FALSE(fs::exists(game / "t.jsonl"));

    // Through a link to the launcher, with --flag=value spellings and a screenshot.
    fs::create_symlink(m_Prefix / "bin" / "brinewisp", dir / "elsewhere" / "bw");
    ASSERT_EQ(Launch("./bw", "--headless --fast --seed 1 --frames 12 --trace=t2.jsonl --shot-at 10"), 0)
        << LaunchErr();
    EXPECT_EQ(TextLines(ReadText(dir / "elsewhere" / "t2.jsonl")).size(), 12u);
    EXPECT_TRUE(fs::is_regular_file(dir / "elsewhere" / "pass-000010.png"));

    // The installed tree moved as a whole still runs.
    fs::rename(m_Prefix, dir / "moved");
    ASSERT_EQ(
        Launch(dir / "moved" / "bin" / "brinewisp", "--no-render --fast --seed 1 --stage 1 --frames 20"), 0)
        << LaunchErr();
    EXPECT_EQ(LaunchErr(), "");
}
