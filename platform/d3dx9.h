// D3DX: everything the game uses from the utility library.
#pragma once

#include "platform/d3dx9math.h"
#include "platform/d3dx9core.h"
