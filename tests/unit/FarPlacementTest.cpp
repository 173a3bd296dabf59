// Objects a stage file places far out (any finite position is accepted): their set-up stays within what
// the numbers can hold.
#include "FlowerTestSupport.h"

#include <cmath>

namespace {

class FarPlacement : public FlowerFixture {};

} // namespace

TEST_F(FarPlacement, AFlowerFarOutHasFullVines) {
    // Farther than an int can count: ten pieces spread over the whole way.
    CFlower* f = MakeFlower(3.0e9f, 0.0f, 0.0f);
    for (const Blossom& b : f->m_Blossom) {
        EXPECT_EQ(b.SegCount, kMaxVinePieces);
        for (int k = 0; k < b.SegCount; ++k)
            EXPECT_TRUE(std::isfinite(b.SegPos[k].x)) << k;
        EXPECT_GT(b.SegPos[kMaxVinePieces - 1].x, 2.5e9f);
    }
    // So far that the distance itself overflows to infinity.
    f = MakeFlower(-2.5e38f, 5.0f, 3.0e38f);
    EXPECT_EQ(f->m_Blossom[0].SegCount, kMaxVinePieces);
    EXPECT_EQ(f->m_Blossom[1].SegCount, kMaxVinePieces);
}
