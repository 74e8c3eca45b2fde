#include "renderer/cloud/particle_emitter.h"

#include <new>

namespace orvalis {

LcgRandom& ParticleRandom() {
    static LcgRandom generator;
    return generator;
}

namespace {

// One draw in 0 .. 999, as a float divided by 1000.
float DrawThousandth() {
    return static_cast<float>(ParticleRandom().Next() % 1000) / 1000.0f;
}

}  // namespace

ParticleSystem::ParticleSystem(int count_, Vector3 center_) : count(count_), center(center_) {
    AllocateParticles();
}

void ParticleSystem::AllocateParticles() {
    particles.reset();
    if (count > 0) {
        // Value-initialised: every vector starts at zero.
        particles.reset(new (std::nothrow) Particle[static_cast<size_t>(count)]());
    }
}

void ParticleSystem::ResetAll() {
    if (particles == nullptr) return;
    for (int i = 0; i < count; ++i) ResetParticle(i);
}

ParticleEmitter::ParticleEmitter(int count_, Vector3 center_, float spawnWidth_, float spawnDepth_,
                                 float margin, unsigned texture_) {
    count = count_;
    center = center_;
    minX = center.x - spawnWidth_ - margin;
    maxX = spawnWidth_ + center.x + margin;
    minY = center.y - margin;
    maxY = margin + center.y;
    minZ = center.z - spawnDepth_ - margin;
    maxZ = spawnDepth_ + center.z + margin;
    spawnWidth = spawnWidth_;
    spawnDepth = spawnDepth_;
    texture = texture_;
    AllocateParticles();
}

void ParticleEmitter::ResetParticle(int index) {
    Particle& p = particles[index];

    const float dz = (DrawThousandth() - 0.5f) * spawnDepth;
    const float dx = (DrawThousandth() - 0.5f) * spawnWidth;
    p.position = center + Vector3(dx, 0.0f, dz);

    const float vz = DrawThousandth() * 0.001f - 0.0005f;
    const float vy = -(DrawThousandth() * 0.0005f - 0.00025f);
    const float vx = DrawThousandth() * 0.001f - 0.0005f;
    p.velocity = Vector3(vx, vy, vz);

    p.color.r = DrawThousandth();
    p.color.g = DrawThousandth();
    p.color.b = DrawThousandth();
}

bool ParticleEmitter::IsInside(const Vector3& p) const {
    // Strict bounds, tested low then high per axis; NaN fails its first comparison.
    if (!(p.x > minX)) return false;
    if (!(p.x < maxX)) return false;
    if (!(p.y > minY)) return false;
    if (!(p.y < maxY)) return false;
    if (!(p.z > minZ)) return false;
    if (!(p.z < maxZ)) return false;
    return true;
}

void ParticleEmitter::Update(int step) {
    if (particles == nullptr) return;
    const float scale = static_cast<float>(step);
    for (int i = 0; i < count; ++i) {
        Particle& p = particles[i];
        p.position = p.position + p.velocity * scale;
        p.velocity = p.velocity + p.acceleration;
        if (!IsInside(p.position)) ResetParticle(i);
    }
}

void ParticleEmitter::Draw() {
    Draw(GlStripSink());
}

void ParticleEmitter::Draw(StripSink& sink) const {
    float m[16];
    sink.GetModelview(m);
    const Vector3 right(m[0], m[4], m[8]);
    const Vector3 up(m[1], m[5], m[9]);
    const Vector3 zero;

    const Vector3 upperLeft = ((zero - right) + up) * kHalfSize;
    const Vector3 lowerLeft = ((zero - right) - up) * kHalfSize;
    const Vector3 upperRight = (right + up) * kHalfSize;
    const Vector3 lowerRight = (right - up) * kHalfSize;

    sink.BindTexture(texture);
    // One strip for the whole cloud: neighbours in index order are joined by two more triangles.
    sink.BeginStrip();
    const int n = particles != nullptr ? count : 0;
    for (int i = 0; i < n; ++i) {
        const Particle& p = particles[i];
        sink.Color(p.color.r, p.color.g, p.color.b, kAlpha);
        sink.TexCoord(0.0f, 1.0f);
        sink.Vertex(p.position + upperLeft);
        sink.TexCoord(0.0f, 0.0f);
        sink.Vertex(p.position + lowerLeft);
        sink.TexCoord(1.0f, 1.0f);
        sink.Vertex(p.position + upperRight);
        sink.TexCoord(1.0f, 0.0f);
        sink.Vertex(p.position + lowerRight);
    }
    sink.EndStrip();
}

}  // namespace orvalis
