// Stand-ins for globals of the scene unit, for the world tests only. Remove once app/Scene.cpp is merged.
#include <cstdint>

int32_t g_StageNo = 1;
