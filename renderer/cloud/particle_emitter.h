// The particle cloud: billboards born in a flat patch that drift outward in straight lines and are
// reborn as soon as they leave the live box around the patch.
#pragma once

#include <cstdint>
#include <memory>

#include "renderer/cloud/lcg_random.h"
#include "renderer/cloud/strip_sink.h"
#include "renderer/cloud/vector3.h"

namespace orvalis {

struct ParticleColor {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

struct Particle {
    Vector3 position;
    Vector3 velocity;
    Vector3 acceleration;
    ParticleColor color;
};

// The process-wide generator that every spawn draws from. It is never seeded, so every run of the
// renderer shows the same cloud.
LcgRandom& ParticleRandom();

class ParticleSystem {
public:
    ParticleSystem() = default;
    // Stores the count and centre and allocates zeroed particles itself.
    ParticleSystem(int count, Vector3 center);
    virtual ~ParticleSystem() = default;

    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    virtual void ResetAll();
    virtual void ResetParticle(int index) = 0;
    virtual void Update(int step) = 0;
    virtual void Draw() = 0;

    int Count() const { return count; }
    const Vector3& Center() const { return center; }
    // False when the particle array could not be allocated for a positive count.
    bool IsAllocated() const { return count <= 0 || particles != nullptr; }
    const Particle& At(int index) const { return particles[index]; }
    Particle& At(int index) { return particles[index]; }

protected:
    // Allocates count zeroed particles; leaves the array empty when the memory is not there.
    void AllocateParticles();

    std::unique_ptr<Particle[]> particles;
    int32_t count = 0;
    Vector3 center;
};

class ParticleEmitter final : public ParticleSystem {
public:
    ParticleEmitter(int count, Vector3 center, float spawnWidth, float spawnDepth, float margin,
                    unsigned texture);

    void ResetParticle(int index) override;
    void Update(int step) override;
    // Draws through the current OpenGL context.
    void Draw() override;
    // The same strip, sent to any sink.
    void Draw(StripSink& sink) const;

    float MinX() const { return minX; }
    float MaxX() const { return maxX; }
    float MinY() const { return minY; }
    float MaxY() const { return maxY; }
    float MinZ() const { return minZ; }
    float MaxZ() const { return maxZ; }

    static constexpr float kHalfSize = 1.5f;
    static constexpr float kAlpha = 0.5f;

private:
    bool IsInside(const Vector3& p) const;

    uint32_t texture;
    float spawnWidth;
    float spawnDepth;
    float minX, maxX, minY, maxY, minZ, maxZ;
};

}  // namespace orvalis
