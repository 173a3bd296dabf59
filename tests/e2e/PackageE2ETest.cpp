// `cpack -G DEB`: the package's control fields and file modes, and the game unpacked from it with
// `dpkg-deb -x` into a scratch root, played headless from another folder.
#include "tests/e2e/InstallSupport.h"

#include <sstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

class PackageE2E : public InstalledGameTest {
  protected:
    void SetUp() override { MakeInstallDir("deb"); }
    // The standard output of a shell command run in the scratch directory (empty when it fails).
    std::string Output(const std::string& cmd) {
        const fs::path out = dir / "output.txt";
        if (Shell("cd '" + dir.string() + "' && " + cmd + " > '" + out.string() + "'") != 0) return "";
        return ReadText(out);
    }
};

// The one .deb in folder, or an empty path.
fs::path OnlyDeb(const fs::path& folder) {
    fs::path found;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".deb") {
            if (!found.empty()) return fs::path();
            found = e.path();
        }
    return found;
}

} // namespace

TEST_F(PackageE2E, DebInstallsAGameThatRunsFromAnotherFolder) {
    if (Shell("command -v dpkg-deb > /dev/null && command -v dpkg > /dev/null") != 0)
        GTEST_SKIP() << "dpkg-deb is not installed";
    // A umask that leaves new files group-writable: the package's modes must not depend on it.
    ASSERT_EQ(Shell("cd '" + dir.string() +
                    "' && umask 002 && '" BW_CPACK_COMMAND "' -G DEB --config '" BW_BUILD_DIR
                    "/CPackConfig.cmake' -B out > cpack.txt 2>&1"),
              0)
        << ReadText(dir / "cpack.txt");
    const fs::path deb = OnlyDeb(dir / "out");
    ASSERT_FALSE(deb.empty()) << ReadText(dir / "cpack.txt");

    // The control fields, and the file name Debian gives such a package.
    const std::string q = "'" + deb.string() + "'";
    const std::string version = Output("dpkg-deb -f " + q + " Version");
    const std::string arch = Output("dpkg --print-architecture");
    EXPECT_EQ(Output("dpkg-deb -f " + q + " Package"), "brinewisp\n");
    EXPECT_EQ(Output("dpkg-deb -f " + q + " Section"), "games\n");
    EXPECT_EQ(Output("dpkg-deb -f " + q + " Architecture"), arch);
    ASSERT_FALSE(version.empty());
    ASSERT_FALSE(arch.empty());
    EXPECT_EQ(deb.filename().string(), "brinewisp_" + version.substr(0, version.size() - 1) + "_" +
                                           arch.substr(0, arch.size() - 1) + ".deb");
    EXPECT_NE(Output("dpkg-deb -f " + q + " Maintainer").find('@'), std::string::npos);
    EXPECT_GT(TextLines(Output("dpkg-deb -f " + q + " Description")).size(), 1u) << "a long description";
    const std::string depends = Output("dpkg-deb -f " + q + " Depends");
    for (const char* p : {"libsdl2-2.0-0", "libepoxy0", "libassimp5", "libgl1-mesa-dri", "fonts-dejavu-core"})
        EXPECT_NE(depends.find(p), std::string::npos) << p << " in " << depends;

    // Every entry belongs to root and lies under /usr but not /usr/local; folders are 755, files 644 but
    // the launcher and the binary (755); links point inside the package.
    const std::vector<std::string> listing = TextLines(Output("dpkg-deb -c " + q));
    ASSERT_GT(listing.size(), 60u);
    for (const std::string& line : listing) {
        std::istringstream in(line);
        std::string mode, owner, size, day, time, path, arrow, target;
        in >> mode >> owner >> size >> day >> time >> path >> arrow >> target;
        EXPECT_EQ(owner, "root/root") << line;
        EXPECT_EQ(path.rfind("./usr/", 0), 0u) << line;
        EXPECT_NE(path.rfind("./usr/local/", 0), 0u) << line;
        const bool program = path == "./usr/bin/brinewisp" || path == "./usr/lib/brinewisp/brinewisp";
        if (mode[0] == 'd')
            EXPECT_EQ(mode, "drwxr-xr-x") << line;
        else if (mode[0] == 'l')
            EXPECT_EQ(target.rfind("../../share/brinewisp/", 0), 0u) << line;
        else
            EXPECT_EQ(mode, program ? "-rwxr-xr-x" : "-rw-r--r--") << line;
    }

    // Unpacked into a scratch root, the game reports the package's version and plays from another folder.
    const fs::path root = dir / "root";
    ASSERT_EQ(Shell("dpkg-deb -x " + q + " '" + root.string() + "'"), 0);
    ExpectInstalledTree(root / "usr");
    EXPECT_EQ(Output("'" + (root / "usr/bin/brinewisp").string() + "' --version"), "brinewisp " + version);
    ExpectLauncherPlaysStage2(root / "usr" / "bin" / "brinewisp");
}
