// Scratch folders for tests: a fresh folder under the system's temporary folder, and a switch of the
// working directory into one.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

// A fresh folder under $TMPDIR (else /tmp) named bw-<tag>-XXXXXX, removed with everything in it when the
// object goes.
class ScratchDir {
  public:
    explicit ScratchDir(const std::string& tag = "test") {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bw-" + tag + "-XXXXXX";
        if (mkdtemp(pattern.data())) m_Path = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!m_Path.empty()) std::filesystem::remove_all(m_Path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Empty when the folder could not be made.
    const std::string& Path() const { return m_Path; }
    // A name inside the folder.
    std::string File(const std::string& name) const { return m_Path + "/" + name; }

  private:
    std::string m_Path;
};

// Switches the working directory for the lifetime of the object.
class ScopedWorkingDir {
  public:
    explicit ScopedWorkingDir(const std::string& dir) {
        char buf[4096];
        if (getcwd(buf, sizeof(buf))) m_Old = buf;
        m_Ok = chdir(dir.c_str()) == 0;
    }
    ~ScopedWorkingDir() {
        if (!m_Old.empty() && chdir(m_Old.c_str()) != 0) std::perror("chdir");
    }
    bool Ok() const { return m_Ok; }

  private:
    std::string m_Old;
    bool m_Ok = false;
};
