// The particle scene in plain OpenGL 1.1, the same on every platform: the one-time render state with the
// particle texture, the viewport and projection for a window size, and one frame. The platform shells own
// the window, the context and the loop, and call these with the context current.
#pragma once

#include <memory>

#include "renderer/cloud/particle_emitter.h"
#include "renderer/scene/opengl.h"
#include "renderer/scene/scene_motion.h"
#include "renderer/texture/rgb_image.h"

namespace orvalis {

// What the scene keeps from frame to frame: the rotation (the first frame is drawn at these values), the
// particle texture and the one emitter.
struct RenderScene {
    float angleX = SceneAngles{}.x;
    float angleY = SceneAngles{}.y;
    float angleZ = SceneAngles{}.z;
    GLuint particleTexture = 0;
    std::unique_ptr<ParticleEmitter> theEmitter;
};

// Uploads the picture as the particle texture (three components, linear filters, no mipmaps) and returns its
// name in `texture`. False for an image without pixels.
bool UploadParticleTexture(const RgbImage& image, GLuint& texture);

// One-time state: a square projection reaching to 200 (in force until the next ResizeSceneViewport puts the
// window's own back), the texture, additive blending, and the emitter with its particles spawned. False when
// the texture or the emitter cannot be made; the scene is then left without an emitter.
bool SetupScene(RenderScene& scene, const RgbImage& texture);

// The same in its two halves, for a shell that loads the texture its own way in between: the square
// projection first, then, given the uploaded texture, the render state and the emitter.
void SetSetupProjection();
bool FinishSceneSetup(RenderScene& scene, GLuint texture);

// Viewport and projection for a drawable of width x height pixels (PlanViewport's rule).
void ResizeSceneViewport(int width, int height);

// Draws one frame into the current draw buffer, then advances the particles and the angles.
void RenderSceneFrame(RenderScene& scene);

}  // namespace orvalis
