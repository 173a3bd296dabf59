#include "tests/e2e/InstallSupport.h"

#include "stb_image.h"

#include <unistd.h>
#include <vector>

namespace e2e {

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

void InstalledGameTest::MakeInstallDir(const std::string& name) {
    MakeDir(name);
    fs::create_directories(dir / "elsewhere");
}

void InstalledGameTest::ExpectInstalledTree(const fs::path& prefix) {
    // The tree, and the binary that finds it through the links in its own folder.
    const fs::path game = prefix / "share" / "brinewisp";
    const fs::path program = prefix / "lib" / "brinewisp";
    EXPECT_TRUE(Executable(prefix / "bin" / "brinewisp"));
    EXPECT_TRUE(Executable(program / "brinewisp"));
    EXPECT_FALSE(fs::exists(game / "brinewisp")) << "the binary stays out of share/";
    for (const char* folder : {"data", "image", "xfile", "sound"}) {
        EXPECT_TRUE(fs::is_symlink(program / folder)) << folder;
        EXPECT_TRUE(fs::is_directory(program / folder)) << folder;
        EXPECT_TRUE(fs::is_directory(game / folder)) << folder;
    }
    for (const char* f : {"shader.fx", "stage1.csv", "stage2.csv", "stage3.csv", "stage4.csv"})
        EXPECT_TRUE(fs::is_regular_file(game / "data" / f)) << f;
    EXPECT_EQ(CountFiles(game / "xfile", ".x"), 30u);
    // 25 pictures: the game's 23, the pause board and the volume indicator's pieces.
    EXPECT_EQ(CountFiles(game / "image", ".png") + CountFiles(game / "image", ".bmp"), 25u);
    EXPECT_EQ(CountFiles(game / "sound", ".wav"), 4u);
    EXPECT_EQ(ReadText(game / "data" / "stage1.csv"),
              ReadText(fs::path(BW_SOURCE_DIR) / "data" / "stage1.csv"));

    // The desktop entry and its icon.
    const fs::path entry = prefix / "share" / "applications" / "brinewisp.desktop";
    const std::string desktop = ReadText(entry);
    EXPECT_EQ(desktop.rfind("[Desktop Entry]\n", 0), 0u);
    for (const char* line : {"\nType=Application\n", "\nName=Brinewisp\n", "\nExec=brinewisp\n",
                             "\nIcon=brinewisp\n", "\nTerminal=false\n"})
        EXPECT_NE(desktop.find(line), std::string::npos) << line;
    if (Shell("command -v desktop-file-validate > /dev/null") == 0) {
        EXPECT_EQ(Shell("desktop-file-validate '" + entry.string() + "'"), 0);
    }
    const fs::path icon = prefix / "share/icons/hicolor/256x256/apps/brinewisp.png";
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
}

int InstalledGameTest::Launch(const fs::path& launcher, const std::string& args) {
    return Shell("cd '" + (dir / "elsewhere").string() + "' && SDL_AUDIODRIVER=dummy '" + launcher.string() +
                 "' " + args + " > out.txt 2> err.txt");
}

void InstalledGameTest::ExpectLauncherPlaysStage2(const fs::path& launcher) {
    ASSERT_EQ(Launch(launcher, "--headless --fast --seed 1 --stage 2 --frames 40 --trace t.jsonl"), 0)
        << LaunchErr();
    EXPECT_EQ(LaunchErr(), "");
    const std::vector<std::string> lines = FileLines(dir / "elsewhere" / "t.jsonl");
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_NE(lines.back().find("\"proc\":\"GameUpdate\",\"scene\":1,\"stage\":2,"), std::string::npos);
    EXPECT_EQ(lines.back().find("\"obstacles\":0,"), std::string::npos) << "stage 2 has its rocks";
    const fs::path prefix = launcher.parent_path().parent_path();
    EXPECT_FALSE(fs::exists(prefix / "lib" / "brinewisp" / "t.jsonl"));
    EXPECT_FALSE(fs::exists(prefix / "share" / "brinewisp" / "t.jsonl"));
}

} // namespace e2e
