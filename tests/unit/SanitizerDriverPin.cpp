// Under AddressSanitizer the leak check runs when a test process ends, after SDL and Mesa have unloaded
// the OpenGL libraries they loaded for a test's window: their own leaks then come without a library name
// and cannot be told from ours, nor named in tests/lsan.supp. Loading them once more, never to be
// unloaded, keeps their names for the report. Other builds have nothing here.
#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <glob.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct PinGlLibraries {
    PinGlLibraries() {
        for (const char* name :
             {"libGLdispatch.so.0", "libGLX.so.0", "libGL.so.1", "libEGL.so.1", "libEGL_mesa.so.0"})
            dlopen(name, RTLD_NOW | RTLD_NODELETE);
        // The driver itself lies outside the library path.
        std::vector<std::string> patterns;
        if (const char* dirs = std::getenv("LIBGL_DRIVERS_PATH")) {
            std::string all = dirs;
            for (size_t at = 0; at <= all.size();) {
                size_t colon = all.find(':', at);
                if (colon == std::string::npos) colon = all.size();
                if (colon > at) patterns.push_back(all.substr(at, colon - at) + "/swrast_dri.so");
                at = colon + 1;
            }
        }
        patterns.push_back("/usr/lib/*/dri/swrast_dri.so");
        patterns.push_back("/usr/lib*/dri/swrast_dri.so");
        for (const std::string& pattern : patterns) {
            glob_t found{};
            const bool any = glob(pattern.c_str(), 0, nullptr, &found) == 0 && found.gl_pathc > 0;
            const bool pinned = any && dlopen(found.gl_pathv[0], RTLD_NOW | RTLD_NODELETE) != nullptr;
            globfree(&found);
            if (pinned) return;
        }
    }
} s_PinGlLibraries;

} // namespace
#endif
