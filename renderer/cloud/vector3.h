// The renderer's value type for positions, velocities and directions: three single-precision floats.
#pragma once

namespace orvalis {

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    void Set(float x_, float y_, float z_) {
        x = x_;
        y = y_;
        z = z_;
    }

    Vector3 operator+(const Vector3& b) const { return {x + b.x, y + b.y, z + b.z}; }
    Vector3 operator-(const Vector3& b) const { return {x - b.x, y - b.y, z - b.z}; }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vector3 operator*(const Vector3& b) const { return {x * b.x, y * b.y, z * b.z}; }
    Vector3 operator/(float s) const { return {x / s, y / s, z / s}; }
    Vector3 operator/(const Vector3& b) const { return {x / b.x, y / b.y, z / b.z}; }
    bool operator==(const Vector3& b) const { return x == b.x && y == b.y && z == b.z; }

    float LengthSquared() const { return x * x + y * y + z * z; }
    // The square root is taken in double precision and rounded back to a float.
    float Length() const;
    // In place; a zero vector becomes (1, 1, 1) rather than dividing by zero.
    Vector3& Normalize();
    Vector3 Cross(const Vector3& b) const {
        return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x};
    }
    // A malloc'ed 100-byte text "(x, y, z)" with three decimals; the caller frees it with free().
    char* ToString() const;
};

}  // namespace orvalis
