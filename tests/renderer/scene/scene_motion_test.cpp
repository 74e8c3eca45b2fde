#include "renderer/scene/scene_motion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvalis {
namespace {

TEST(SceneAnglesTest, StartsAtNinetyAboutYAndAdvancesInSinglePrecision) {
    SceneAngles angles;
    EXPECT_EQ(angles.x, 0.0f);
    EXPECT_EQ(angles.y, 90.0f);
    EXPECT_EQ(angles.z, 0.0f);
    float x = angles.x, y = angles.y, z = angles.z;
    float ex = 0.0f, ey = 90.0f, ez = 0.0f;
    for (int frame = 0; frame < 100000; ++frame) {
        AdvanceSceneAngles(x, y, z);
        ex = ex + 0.8f;
        ey = ey + 0.95f;
        ez = ez + 0.4f;
    }
    // Bit-identical to repeated float additions: no wrapping to 360, no double accumulation.
    EXPECT_EQ(x, ex);
    EXPECT_EQ(y, ey);
    EXPECT_EQ(z, ez);
    EXPECT_GT(y, 360.0f);
}

TEST(ViewportTest, ZeroHeightBecomesOneAndAspectIsExact) {
    ViewportPlan zero = PlanViewport(640, 0);
    EXPECT_EQ(zero.width, 640);
    EXPECT_EQ(zero.height, 1);
    EXPECT_DOUBLE_EQ(zero.aspect, 640.0);
    EXPECT_DOUBLE_EQ(PlanViewport(1024, 768).aspect, 1024.0 / 768.0);
    EXPECT_DOUBLE_EQ(PlanViewport(0, 0).aspect, 0.0);
}

}  // namespace
}  // namespace orvalis
