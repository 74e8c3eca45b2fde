#include "renderer/render_scene.h"

#include <new>

namespace orvalis {

bool UploadParticleTexture(const RgbImage& image, GLuint& texture) {
    if (image.data == nullptr || image.width <= 0 || image.height <= 0) return false;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // The image's rows are tightly packed (width x 3 bytes); GL's default of 4-byte rows would read past the
    // buffer and shear every row of an image whose width is not a multiple of 4.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE, image.data);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return true;
}

bool SetupScene(RenderScene& scene, const RgbImage& texture) {
    // A square projection reaching to 200, in force until the next resize puts the window's own back.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.1f, 200.0);

    if (!UploadParticleTexture(texture, scene.particleTexture)) return false;

    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    scene.angles = SceneAngles{};
    scene.emitter.reset(new (std::nothrow) ParticleEmitter(200, Vector3(0.0f, 0.0f, 15.0f), 0.5f, 5.0f, 30.0f,
                                                           scene.particleTexture));
    if (!scene.emitter || !scene.emitter->IsAllocated()) {
        scene.emitter.reset();
        return false;
    }
    scene.emitter->ResetAll();
    return true;
}

void ResizeSceneViewport(int width, int height) {
    const ViewportPlan plan = PlanViewport(width, height);
    glViewport(0, 0, plan.width, plan.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, plan.aspect, 0.1f, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void RenderSceneFrame(RenderScene& scene) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // No translation: the eye stays inside the particle box and the cloud turns around it.
    glRotatef(scene.angles.x, 1.0f, 0.0f, 0.0f);
    glRotatef(scene.angles.y, 0.0f, 1.0f, 0.0f);
    glRotatef(scene.angles.z, 0.0f, 0.0f, 1.0f);
    scene.emitter->Draw();
    scene.emitter->Update(kUpdateStep);
    AdvanceSceneAngles(scene.angles.x, scene.angles.y, scene.angles.z);
}

}  // namespace orvalis
