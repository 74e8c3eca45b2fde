// How the scene turns from frame to frame, and the viewport for a window's client size.
#pragma once

namespace orvalis {

// Scene rotation in degrees; the first frame is drawn at these values.
struct SceneAngles {
    float x = 0.0f;
    float y = 90.0f;
    float z = 0.0f;
};

inline constexpr float kAngleStepX = 0.8f;
inline constexpr float kAngleStepY = 0.95f;
inline constexpr float kAngleStepZ = 0.4f;
inline constexpr int kUpdateStep = 350;

// One frame's advance: single-precision additions, no wrapping.
void AdvanceSceneAngles(float& x, float& y, float& z);

// Viewport and projection for a client size; a zero height becomes 1.
struct ViewportPlan {
    int width = 0;
    int height = 1;
    double aspect = 1.0;
};
ViewportPlan PlanViewport(int width, int height);

}  // namespace orvalis
