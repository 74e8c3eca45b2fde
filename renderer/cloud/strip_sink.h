// Where the emitter sends its triangle strip. The renderer's sink issues OpenGL immediate-mode calls;
// tests record the calls instead.
#pragma once

#include <cstdint>

#include "renderer/cloud/vector3.h"

namespace orvalis {

class StripSink {
public:
    virtual ~StripSink() = default;
    // The current modelview matrix, 16 floats in column-major order.
    virtual void GetModelview(float matrix[16]) = 0;
    virtual void BindTexture(uint32_t texture) = 0;
    virtual void BeginStrip() = 0;
    virtual void Color(float r, float g, float b, float a) = 0;
    virtual void TexCoord(float s, float t) = 0;
    virtual void Vertex(const Vector3& v) = 0;
    virtual void EndStrip() = 0;
};

// The sink that draws through the current OpenGL context.
StripSink& GlStripSink();

}  // namespace orvalis
