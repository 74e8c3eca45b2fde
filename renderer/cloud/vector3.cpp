#include "renderer/cloud/vector3.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orvalis {

float Vector3::Length() const {
    return static_cast<float>(std::sqrt(static_cast<double>(LengthSquared())));
}

Vector3& Vector3::Normalize() {
    const float length = Length();
    if (length == 0.0f) {
        Set(1.0f, 1.0f, 1.0f);
    } else {
        x /= length;
        y /= length;
        z /= length;
    }
    return *this;
}

char* Vector3::ToString() const {
    constexpr size_t kSize = 100;
    char* text = static_cast<char*>(std::malloc(kSize));
    if (text != nullptr) {
        std::snprintf(text, kSize, "(%.3f, %.3f, %.3f)", static_cast<double>(x), static_cast<double>(y),
                      static_cast<double>(z));
    }
    return text;
}

}  // namespace orvalis
