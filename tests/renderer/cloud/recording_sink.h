// A strip sink that records what the emitter sends, for tests without a GL context.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "renderer/cloud/strip_sink.h"

namespace orvalis::testing {

struct RecordedVertex {
    float color[4];
    float s, t;
    Vector3 position;
};

class RecordingSink final : public StripSink {
public:
    std::array<float, 16> modelview{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::vector<uint32_t> boundTextures;
    int begins = 0;
    int ends = 0;
    std::vector<RecordedVertex> vertices;

    void GetModelview(float matrix[16]) override {
        for (int i = 0; i < 16; ++i) matrix[i] = modelview[i];
    }
    void BindTexture(uint32_t texture) override { boundTextures.push_back(texture); }
    void BeginStrip() override { ++begins; }
    void Color(float r, float g, float b, float a) override {
        color_[0] = r;
        color_[1] = g;
        color_[2] = b;
        color_[3] = a;
    }
    void TexCoord(float s, float t) override {
        s_ = s;
        t_ = t;
    }
    void Vertex(const Vector3& v) override {
        vertices.push_back({{color_[0], color_[1], color_[2], color_[3]}, s_, t_, v});
    }
    void EndStrip() override { ++ends; }

private:
    float color_[4] = {1, 1, 1, 1};
    float s_ = 0, t_ = 0;
};

}  // namespace orvalis::testing
