// `cmake --install` into a scratch prefix: the installed tree, the desktop entry and icon, and the launcher
// running the game headless from another folder (also through a link, and after the tree has moved).
#include "tests/e2e/InstallSupport.h"

using namespace e2e;

namespace {

class InstallE2E : public InstalledGameTest {
  protected:
    void SetUp() override { MakeInstallDir("install"); }
};

} // namespace

TEST_F(InstallE2E, InstalledLauncherRunsTheGameFromAnotherFolder) {
    const fs::path prefix = dir / "prefix";
    ASSERT_EQ(Shell("'" BW_CMAKE_COMMAND "' --install '" BW_BUILD_DIR "' --prefix '" + prefix.string() +
                    "' > '" + (dir / "install.txt").string() + "' 2>&1"),
              0)
        << ReadText(dir / "install.txt");
    ExpectInstalledTree(prefix);
    ExpectLauncherPlaysStage2(prefix / "bin" / "brinewisp");

    // Through a link to the launcher, with --flag=value spellings and a screenshot.
    fs::create_symlink(prefix / "bin" / "brinewisp", dir / "elsewhere" / "bw");
    ASSERT_EQ(Launch("./bw", "--headless --fast --seed 1 --frames 12 --trace=t2.jsonl --shot-at 10"), 0)
        << LaunchErr();
    EXPECT_EQ(TextLines(ReadText(dir / "elsewhere" / "t2.jsonl")).size(), 12u);
    EXPECT_TRUE(fs::is_regular_file(dir / "elsewhere" / "pass-000010.png"));

    // The installed tree moved as a whole still runs.
    fs::rename(prefix, dir / "moved");
    ASSERT_EQ(
        Launch(dir / "moved" / "bin" / "brinewisp", "--no-render --fast --seed 1 --stage 1 --frames 20"), 0)
        << LaunchErr();
    EXPECT_EQ(LaunchErr(), "");
}
