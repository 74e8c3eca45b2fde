#include "renderer/cloud/vector3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

using orvalis::Vector3;

namespace {

void ExpectVec(const Vector3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

std::string Text(const Vector3& v) {
    char* raw = v.ToString();
    std::string text = raw != nullptr ? raw : "<null>";
    std::free(raw);
    return text;
}

}  // namespace

TEST(Vector3, ConstructionAndArithmeticLeaveOperandsAlone) {
    ExpectVec(Vector3(), 0, 0, 0);
    const Vector3 a(1, 2, 3);
    const Vector3 b(4, -5, 0.5f);
    ExpectVec(a + b, 5, -3, 3.5f);
    ExpectVec(a - b, -3, 7, 2.5f);
    ExpectVec(a * 2.0f, 2, 4, 6);
    ExpectVec(a * b, 4, -10, 1.5f);
    ExpectVec(a / 2.0f, 0.5f, 1, 1.5f);
    ExpectVec(a / b, 0.25f, -0.4f, 6);
    ExpectVec(a, 1, 2, 3);
    ExpectVec(b, 4, -5, 0.5f);

    Vector3 c;
    c.Set(7, 8, 9);
    ExpectVec(c, 7, 8, 9);
    Vector3 copy = c;
    EXPECT_TRUE(copy == c);
    copy.z = 9.5f;
    EXPECT_FALSE(copy == c);
}

TEST(Vector3, LengthsCrossAndNormalize) {
    const Vector3 v(3, 4, 12);
    EXPECT_FLOAT_EQ(v.LengthSquared(), 169.0f);
    EXPECT_FLOAT_EQ(v.Length(), 13.0f);
    ExpectVec(Vector3(1, 0, 0).Cross(Vector3(0, 1, 0)), 0, 0, 1);
    ExpectVec(Vector3(0, 1, 0).Cross(Vector3(1, 0, 0)), 0, 0, -1);
    ExpectVec(Vector3(1, 2, 3).Cross(Vector3(4, 5, 6)), -3, 6, -3);

    Vector3 n(3, 4, 12);
    Vector3& same = n.Normalize();
    EXPECT_EQ(&same, &n);
    ExpectVec(n, 3.0f / 13, 4.0f / 13, 12.0f / 13);
}

TEST(Vector3, NormalizeOfZeroGivesAllOnes) {
    Vector3 zero;
    ExpectVec(zero.Normalize(), 1, 1, 1);
}

TEST(Vector3, DivisionByZeroFollowsIeee) {
    const Vector3 q = Vector3(1, -1, 0) / 0.0f;
    EXPECT_EQ(q.x, std::numeric_limits<float>::infinity());
    EXPECT_EQ(q.y, -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(q.z));
}

TEST(Vector3, ToStringUsesThreeDecimals) {
    EXPECT_EQ(Text(Vector3(1, -2.5f, 0.0004f)), "(1.000, -2.500, 0.000)");
    EXPECT_EQ(Text(Vector3(-0.0006f, 123456.5f, 3.14159f)), "(-0.001, 123456.500, 3.142)");
}
