// What the install and package tests share: the installed tree under a prefix (the launcher, the binary
// beside links to its asset tree, the desktop entry and the icon) and the launcher run from another folder.
#pragma once

#include "tests/e2e/E2ESupport.h"

#include <string>

namespace e2e {

// How many regular files under dir (following links) end with `ending`.
size_t CountFiles(const fs::path& dir, const std::string& ending);
bool Executable(const fs::path& p);

class InstalledGameTest : public GameDirTest {
  protected:
    // Makes the scratch directory (see MakeDir) and its folder elsewhere/, where the launcher runs.
    void MakeInstallDir(const std::string& name);
    // Checks what the install rules put under prefix: PREFIX/bin/brinewisp, the game binary in
    // PREFIX/lib/brinewisp with links to the tree in PREFIX/share/brinewisp (data/ as in the repository, the
    // generated image/ xfile/ sound/), the desktop entry and the 256 x 256 icon.
    void ExpectInstalledTree(const fs::path& prefix);
    // Runs the launcher (or what stands for it) in elsewhere/ with these flags; its exit code.
    int Launch(const fs::path& launcher, const std::string& args);
    std::string LaunchErr() { return ReadText(dir / "elsewhere" / "err.txt"); }
    // The launcher plays 40 passes of stage 2 headless from elsewhere/: the stage file and every asset are
    // found (nothing is reported on stderr), and the trace, named relative to the caller, lands beside it.
    void ExpectLauncherPlaysStage2(const fs::path& launcher);
};

} // namespace e2e
