// The trace lists every jelly with its state, its rescue and where it swims.
#include "tests/unit/JellyTestSupport.h"

#include "app/Trace.h"

#include <string>

namespace {

class TraceJellies : public JellyFixture {};

TEST_F(TraceJellies, EveryJellyIsListedInActorOrderWithItsStateRescueAndPlace) {
    AddPlayerAt(D3DXVECTOR3(0.0f, 6.0f, 0.0f));
    AddJelly(D3DXVECTOR3(10.5f, 5.0f, -20.25f));
    AddFollower(D3DXVECTOR3(-3.0f, 5.0f, 4.0f));
    CJelly* rescued = AddJelly(D3DXVECTOR3(30.0f, 5.0f, 40.0f));
    rescued->m_bRescuing = 1;
    const std::string line = TraceLine(7, "GameUpdate");
    EXPECT_NE(line.find("\"strays\":2,\"rescuing\":1,\"jellies\":[{\"state\":1,\"rescuing\":0,\"x\":10.5,"
                        "\"z\":-20.25},{\"state\":2,\"rescuing\":0,\"x\":-3,\"z\":4},{\"state\":1,"
                        "\"rescuing\":1,\"x\":30,\"z\":40}]"),
              std::string::npos)
        << line;
    // The player is not a jelly; without any jelly the list is empty.
    ReleaseObjects();
    AddPlayerAt(D3DXVECTOR3(0.0f, 6.0f, 0.0f));
    const std::string alone = TraceLine(8, "GameUpdate");
    EXPECT_NE(alone.find("\"jellies\":[]"), std::string::npos) << alone;
}

} // namespace
