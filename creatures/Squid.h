// The squid: a larger football, drawn differently. It moves, bites and dies as a football does.
#pragma once

#include "creatures/Football.h"

class CSquid : public CFootball {
  public:
    void Init() override;
    void Draw() override;

  protected:
    // The squids are the targets of stage 3; in stage 1 they count as the footballs do.
    bool IsTargetOfStage() const override;
};
