#include "renderer/cloud/strip_sink.h"
#include "renderer/scene/opengl.h"

namespace orvalis {
namespace {

class OpenGlStripSink final : public StripSink {
public:
    void GetModelview(float matrix[16]) override { glGetFloatv(GL_MODELVIEW_MATRIX, matrix); }
    void BindTexture(uint32_t texture) override { glBindTexture(GL_TEXTURE_2D, texture); }
    void BeginStrip() override { glBegin(GL_TRIANGLE_STRIP); }
    void Color(float r, float g, float b, float a) override { glColor4f(r, g, b, a); }
    void TexCoord(float s, float t) override { glTexCoord2f(s, t); }
    void Vertex(const Vector3& v) override { glVertex3f(v.x, v.y, v.z); }
    void EndStrip() override { glEnd(); }
};

}  // namespace

StripSink& GlStripSink() {
    static OpenGlStripSink sink;
    return sink;
}

}  // namespace orvalis
