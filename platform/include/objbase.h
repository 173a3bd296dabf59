// COM start-up. Our interfaces need no apartment, so both calls do nothing.
#pragma once

#include "wintypes.h"

inline HRESULT CoInitialize(LPVOID reserved) {
    (void)reserved;
    return S_OK;
}
inline void CoUninitialize() {}
