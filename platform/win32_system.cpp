// The user's language and the program's own path.
#include "windows.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

LANGID GetUserDefaultUILanguage() {
    // The first of these that is set and not empty decides, as for the C library's messages.
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    if (locale && std::strncmp(locale, "ja", 2) == 0) return MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    return MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT);
}

DWORD GetModuleFileNameA(HINSTANCE hModule, LPSTR lpFilename, DWORD nSize) {
    if (hModule || !lpFilename || nSize == 0) return 0;
    const ssize_t n = readlink("/proc/self/exe", lpFilename, nSize - 1);
    if (n <= 0 || (DWORD)n >= nSize - 1) return 0; // unreadable, or perhaps cut short
    lpFilename[n] = '\0';
    return (DWORD)n;
}
