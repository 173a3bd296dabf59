#include "creatures/Squid.h"

void CSquid::Init() {}
void CSquid::Draw() {}
