#include "renderer/scene/render_scene.h"

#include <new>
#include <string_view>
#include <vector>

#include "renderer/scene/gl_caps.h"

namespace orvalis {

namespace {

std::string_view GlText(GLenum name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text != nullptr ? std::string_view(text) : std::string_view();
}

// The sides the driver is given: an OpenGL 1.1 driver without GL_ARB_texture_non_power_of_two refuses any
// other than powers of two, and the particles would show as solid quads.
TextureSize DriverTextureSize(const RgbImage& image) {
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    const bool anySize = TakesAnyTextureSize(GlText(GL_VERSION), GlText(GL_EXTENSIONS));
    return TextureUploadSize(image.width, image.height, anySize, maxSide);
}

// The image scaled to `size` by GLU, rows tightly packed; empty when GLU fails.
std::vector<uint8_t> ScaledPixels(const RgbImage& image, TextureSize size) {
    std::vector<uint8_t> scaled(static_cast<size_t>(size.width) * static_cast<size_t>(size.height) * 3);
    GLint packAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    const GLint failed = gluScaleImage(GL_RGB, image.width, image.height, GL_UNSIGNED_BYTE, image.data,
                                       size.width, size.height, GL_UNSIGNED_BYTE, scaled.data());
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    if (failed != 0) scaled.clear();
    return scaled;
}

}  // namespace

bool UploadParticleTexture(const RgbImage& image, GLuint& texture) {
    if (image.data == nullptr || image.width <= 0 || image.height <= 0) return false;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // The image's rows are tightly packed (width x 3 bytes); GL's default of 4-byte rows would read past the
    // buffer and shear every row of an image whose width is not a multiple of 4.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const TextureSize size = DriverTextureSize(image);
    if (size == TextureSize{image.width, image.height}) {
        glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE, image.data);
    } else {
        const std::vector<uint8_t> scaled = ScaledPixels(image, size);
        if (scaled.empty()) return false;
        glTexImage2D(GL_TEXTURE_2D, 0, 3, size.width, size.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     scaled.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return true;
}

void SetSetupProjection() {
    // A square projection reaching to 200, in force until the next resize puts the window's own back.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.1f, 200.0);
}

bool FinishSceneSetup(RenderScene& scene, GLuint texture) {
    scene.particleTexture = texture;
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    // Without its particles the renderer has nothing to show: end start-up like any other failure.
    scene.theEmitter.reset(new (std::nothrow)
                               ParticleEmitter(200, Vector3(0.0f, 0.0f, 15.0f), 0.5f, 5.0f, 30.0f, texture));
    if (!scene.theEmitter || !scene.theEmitter->IsAllocated()) {
        scene.theEmitter.reset();
        return false;
    }
    scene.theEmitter->ResetAll();
    return true;
}

bool SetupScene(RenderScene& scene, const RgbImage& texture) {
    SetSetupProjection();
    GLuint name = 0;
    if (!UploadParticleTexture(texture, name)) return false;
    return FinishSceneSetup(scene, name);
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
    glRotatef(scene.angleX, 1.0f, 0.0f, 0.0f);
    glRotatef(scene.angleY, 0.0f, 1.0f, 0.0f);
    glRotatef(scene.angleZ, 0.0f, 0.0f, 1.0f);
    scene.theEmitter->Draw();
    scene.theEmitter->Update(kUpdateStep);
    AdvanceSceneAngles(scene.angleX, scene.angleY, scene.angleZ);
}

}  // namespace orvalis
