#include "renderer/scene/scene_motion.h"

namespace orvalis {

void AdvanceSceneAngles(float& x, float& y, float& z) {
    x += kAngleStepX;
    y += kAngleStepY;
    z += kAngleStepZ;
}

ViewportPlan PlanViewport(int width, int height) {
    ViewportPlan plan;
    plan.width = width;
    plan.height = height == 0 ? 1 : height;
    plan.aspect = static_cast<double>(plan.width) / static_cast<double>(plan.height);
    return plan;
}

}  // namespace orvalis
