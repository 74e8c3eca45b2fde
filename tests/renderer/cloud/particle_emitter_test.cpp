#include "renderer/cloud/particle_emitter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/renderer/cloud/recording_sink.h"

using orvalis::LcgRandom;
using orvalis::ParticleEmitter;
using orvalis::ParticleRandom;
using orvalis::Vector3;
using orvalis::testing::RecordingSink;

namespace {

// The emitter the renderer builds.
ParticleEmitter MakeShellEmitter() {
    return ParticleEmitter(200, Vector3(0.0f, 0.0f, 15.0f), 0.5f, 5.0f, 30.0f, 7);
}

class EmitterTest : public ::testing::Test {
protected:
    void SetUp() override { ParticleRandom().Reset(); }
};

}  // namespace

TEST(LcgRandom, MatchesTheClassicSequenceFromStateOne) {
    LcgRandom r;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) EXPECT_EQ(r.Next(), value);
}

TEST_F(EmitterTest, LiveBoxWidensThePatchByTheMargin) {
    ParticleEmitter e = MakeShellEmitter();
    EXPECT_EQ(e.MinX(), -30.5f);
    EXPECT_EQ(e.MaxX(), 30.5f);
    EXPECT_EQ(e.MinY(), -30.0f);
    EXPECT_EQ(e.MaxY(), 30.0f);
    EXPECT_EQ(e.MinZ(), -20.0f);
    EXPECT_EQ(e.MaxZ(), 50.0f);
    EXPECT_EQ(e.Count(), 200);
    // Nothing is spawned until ResetAll.
    EXPECT_EQ(e.At(199).position, Vector3());
    EXPECT_EQ(e.At(0).velocity, Vector3());
}

TEST_F(EmitterTest, FirstSpawnUsesEightDrawsInOrder) {
    ParticleEmitter e = MakeShellEmitter();
    e.ResetParticle(0);
    // Draws 41, 467, 334, 500, 169, 724, 478, 358 (the first eight values mod 1000), each divided by 1000:
    // depth (0.041 - 0.5) * 5 about z = 15, width (0.467 - 0.5) * 0.5, speeds of up to 0.0005 either way.
    const auto& p = e.At(0);
    EXPECT_FLOAT_EQ(p.position.z, 12.705f);
    EXPECT_FLOAT_EQ(p.position.x, -0.0165f);
    EXPECT_EQ(p.position.y, 0.0f);
    EXPECT_FLOAT_EQ(p.velocity.z, -0.000166f);
    EXPECT_NEAR(p.velocity.y, 0.0f, 1e-12);
    EXPECT_FLOAT_EQ(p.velocity.x, -0.000331f);
    EXPECT_FLOAT_EQ(p.color.r, 0.724f);
    EXPECT_FLOAT_EQ(p.color.g, 0.478f);
    EXPECT_FLOAT_EQ(p.color.b, 0.358f);
    EXPECT_EQ(p.acceleration, Vector3());
    // The generator's state after eight steps from 1.
    EXPECT_EQ(ParticleRandom().State(), 1924036713u);
}

TEST_F(EmitterTest, ResetAllSpawnsEveryParticleInTheFlatPatch) {
    ParticleEmitter e = MakeShellEmitter();
    e.ResetAll();
    for (int i = 0; i < e.Count(); ++i) {
        const auto& p = e.At(i);
        EXPECT_GE(p.position.x, -0.25f);
        EXPECT_LE(p.position.x, 0.2495f);
        EXPECT_EQ(p.position.y, 0.0f);
        EXPECT_GE(p.position.z, 12.5f);
        EXPECT_LE(p.position.z, 17.495f);
        EXPECT_GE(p.velocity.x, -0.0005f);
        EXPECT_LE(p.velocity.x, 0.000499f);
        EXPECT_GE(p.velocity.y, -0.0002495f);
        EXPECT_LE(p.velocity.y, 0.00025f);
        for (float c : {p.color.r, p.color.g, p.color.b}) {
            EXPECT_GE(c, 0.0f);
            EXPECT_LE(c, 0.999f);
        }
    }
}

TEST_F(EmitterTest, SpawnIsTheSameOnEveryRun) {
    ParticleEmitter first = MakeShellEmitter();
    first.ResetAll();
    ParticleRandom().Reset();
    ParticleEmitter second = MakeShellEmitter();
    second.ResetAll();
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(first.At(i).position, second.At(i).position);
        EXPECT_EQ(first.At(i).velocity, second.At(i).velocity);
    }
}

TEST_F(EmitterTest, UpdateMovesByVelocityTimesStep) {
    ParticleEmitter e = MakeShellEmitter();
    e.ResetAll();
    // Speeds in 1/1024ths: a step of 350 moves by exact binary fractions. The acceleration is added to the
    // velocity once per update, after the move.
    e.At(5).position = Vector3(1.0f, -2.0f, 15.0f);
    e.At(5).velocity = Vector3(1.0f / 1024, -2.0f / 1024, 4.0f / 1024);
    e.At(5).acceleration = Vector3(1.0f / 1024, 0.0f, -1.0f / 1024);
    const uint32_t state = ParticleRandom().State();
    e.Update(350);
    EXPECT_EQ(e.At(5).position, Vector3(1.341796875f, -2.68359375f, 16.3671875f));
    EXPECT_EQ(e.At(5).velocity, Vector3(2.0f / 1024, -2.0f / 1024, 3.0f / 1024));
    EXPECT_EQ(ParticleRandom().State(), state) << "no particle can leave the box in one frame";
}

TEST_F(EmitterTest, ParticleOnOrBeyondABoundIsRespawnedAtOnce) {
    ParticleEmitter e = MakeShellEmitter();
    e.ResetAll();
    // Each case puts particle 0 exactly on (or past) one bound after a step of 1.
    struct Case {
        Vector3 position;
        Vector3 velocity;
    };
    const std::vector<Case> leaving = {
        {{30.0f, 0, 15}, {0.5f, 0, 0}},    // x == maxX
        {{-30.0f, 0, 15}, {-0.5f, 0, 0}},  // x == minX
        {{0, 29.0f, 15}, {0, 1.0f, 0}},    // y == maxY
        {{0, -29.0f, 15}, {0, -1.0f, 0}},  // y == minY
        {{0, 0, 49.0f}, {0, 0, 1.0f}},     // z == maxZ
        {{0, 0, -19.0f}, {0, 0, -1.0f}},   // z == minZ
        {{0, 0, 15}, {std::numeric_limits<float>::quiet_NaN(), 0, 0}},
    };
    for (const Case& c : leaving) {
        e.At(0).position = c.position;
        e.At(0).velocity = c.velocity;
        e.Update(1);
        const auto& p = e.At(0);
        EXPECT_EQ(p.position.y, 0.0f);
        EXPECT_GE(p.position.z, 12.5f);
        EXPECT_LE(p.position.z, 17.495f);
        EXPECT_LE(std::fabs(p.velocity.x), 0.0005f);
    }

    // Just inside stays where it moved.
    e.At(0).position = Vector3(30.0f, 0, 15);
    e.At(0).velocity = Vector3(0.499f, 0, 0);
    e.Update(1);
    EXPECT_EQ(e.At(0).position.x, 30.499f);
}

TEST_F(EmitterTest, LaterParticlesSeeTheGeneratorAdvancedByEarlierRespawns) {
    ParticleEmitter e(2, Vector3(0, 0, 15), 0.5f, 5.0f, 30.0f, 0);
    e.At(0).position = Vector3(100, 0, 15);
    e.At(1).position = Vector3(100, 0, 15);
    e.Update(1);

    // Particle 0 takes draws 1 to 8 (41, 467, ...), particle 1 draws 9 to 16 (962, 464, 705, 145, 281, 827,
    // 961, 491 mod 1000).
    struct Expected {
        float x, z, vx, vy, vz, r, g, b;
    };
    const Expected expected[2] = {
        {-0.0165f, 12.705f, -0.000331f, 0.0f, -0.000166f, 0.724f, 0.478f, 0.358f},
        {-0.018f, 17.31f, -0.000219f, 0.0001775f, 0.000205f, 0.827f, 0.961f, 0.491f},
    };
    for (int i = 0; i < 2; ++i) {
        const auto& p = e.At(i);
        const Expected& x = expected[i];
        EXPECT_FLOAT_EQ(p.position.x, x.x) << i;
        EXPECT_EQ(p.position.y, 0.0f) << i;
        EXPECT_FLOAT_EQ(p.position.z, x.z) << i;
        EXPECT_NEAR(p.velocity.x, x.vx, 1e-9) << i;
        EXPECT_NEAR(p.velocity.y, x.vy, 1e-9) << i;
        EXPECT_NEAR(p.velocity.z, x.vz, 1e-9) << i;
        EXPECT_FLOAT_EQ(p.color.r, x.r) << i;
        EXPECT_FLOAT_EQ(p.color.g, x.g) << i;
        EXPECT_FLOAT_EQ(p.color.b, x.b) << i;
    }
    EXPECT_EQ(ParticleRandom().State(), 2179684817u) << "sixteen draws in all";
}

TEST_F(EmitterTest, DrawSendsOneStripOfFourBillboardCornersPerParticle) {
    ParticleEmitter e(3, Vector3(0, 0, 15), 0.5f, 5.0f, 30.0f, 42);
    e.ResetAll();
    const Vector3 centres[3] = {{1, 2, 14}, {-3, 0.5f, 16}, {0, -4, 15}};
    const float colours[3][3] = {{0.25f, 0.5f, 0.75f}, {1, 0, 0.125f}, {0.5f, 0.5f, 0.5f}};
    for (int i = 0; i < 3; ++i) {
        e.At(i).position = centres[i];
        e.At(i).color = {colours[i][0], colours[i][1], colours[i][2]};
    }
    RecordingSink sink;
    e.Draw(sink);

    ASSERT_EQ(sink.boundTextures, std::vector<uint32_t>{42});
    EXPECT_EQ(sink.begins, 1);
    EXPECT_EQ(sink.ends, 1);
    ASSERT_EQ(sink.vertices.size(), 12u);
    // Identity modelview: right = +x, up = +y, half size 1.5.
    const Vector3 offsets[4] = {{-1.5f, 1.5f, 0}, {-1.5f, -1.5f, 0}, {1.5f, 1.5f, 0}, {1.5f, -1.5f, 0}};
    const float tex[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 4; ++k) {
            const auto& v = sink.vertices[static_cast<size_t>(i) * 4 + static_cast<size_t>(k)];
            EXPECT_EQ(v.position, centres[i] + offsets[k]);
            EXPECT_EQ(v.s, tex[k][0]);
            EXPECT_EQ(v.t, tex[k][1]);
            EXPECT_EQ(v.color[0], colours[i][0]);
            EXPECT_EQ(v.color[1], colours[i][1]);
            EXPECT_EQ(v.color[2], colours[i][2]);
            EXPECT_EQ(v.color[3], 0.5f);
        }
    }
}

TEST_F(EmitterTest, BillboardsFaceTheViewerUnderRotation) {
    ParticleEmitter e(1, Vector3(0, 0, 15), 0.5f, 5.0f, 30.0f, 0);
    e.ResetAll();
    RecordingSink sink;
    // Column-major rotation by 90 degrees about z: the screen's right is world +y, up is world -x.
    sink.modelview = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    e.At(0).position = Vector3(2, 3, 15);
    e.Draw(sink);
    // Right is world (0, -1, 0), up (1, 0, 0): the top left corner is 1.5 up and 1.5 left of the centre.
    ASSERT_EQ(sink.vertices.size(), 4u);
    EXPECT_EQ(sink.vertices[0].position, Vector3(3.5f, 4.5f, 15));
    EXPECT_EQ(sink.vertices[1].position, Vector3(0.5f, 4.5f, 15));
    EXPECT_EQ(sink.vertices[2].position, Vector3(3.5f, 1.5f, 15));
    EXPECT_EQ(sink.vertices[3].position, Vector3(0.5f, 1.5f, 15));
}

TEST_F(EmitterTest, NeighboursAreJoinedByTwoTrianglesHoweverFarApart) {
    ParticleEmitter e(2, Vector3(0, 0, 15), 0.5f, 5.0f, 30.0f, 0);
    e.ResetAll();
    e.At(0).position = Vector3(-25, -25, -10);
    e.At(1).position = Vector3(25, 25, 45);
    RecordingSink sink;
    e.Draw(sink);
    ASSERT_EQ(sink.begins, 1);
    ASSERT_EQ(sink.vertices.size(), 8u);
    // In one strip, vertices k, k+1, k+2 form a triangle: 3 and 4 join particle 0's C, D to 1's A, B.
    const auto& c0 = sink.vertices[2].position;
    const auto& d0 = sink.vertices[3].position;
    const auto& a1 = sink.vertices[4].position;
    const auto& b1 = sink.vertices[5].position;
    EXPECT_EQ(c0, Vector3(-23.5f, -23.5f, -10));
    EXPECT_EQ(d0, Vector3(-23.5f, -26.5f, -10));
    EXPECT_EQ(a1, Vector3(23.5f, 26.5f, 45));
    EXPECT_EQ(b1, Vector3(23.5f, 23.5f, 45));
}

TEST_F(EmitterTest, EmptyEmitterDrawsAnEmptyStripAndUpdatesNothing) {
    ParticleEmitter e(0, Vector3(0, 0, 15), 0.5f, 5.0f, 30.0f, 3);
    EXPECT_TRUE(e.IsAllocated());
    e.ResetAll();
    e.Update(350);
    RecordingSink sink;
    e.Draw(sink);
    EXPECT_EQ(sink.begins, 1);
    EXPECT_EQ(sink.ends, 1);
    EXPECT_TRUE(sink.vertices.empty());
    EXPECT_EQ(ParticleRandom().State(), LcgRandom::kInitialState);
}
