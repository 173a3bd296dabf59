// The squid: a larger football, drawn differently. It moves, bites and dies as a football does.
#pragma once

#include "creatures/Football.h"

class CSquid : public CFootball {
  public:
    void Init() override;
    void Draw() override;
};
