// D3DX: everything the game uses from the utility library.
#pragma once

#include "d3dx9math.h"
#include "d3dx9core.h"
