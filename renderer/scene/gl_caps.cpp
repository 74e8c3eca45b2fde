#include "renderer/scene/gl_caps.h"

namespace orvalis {

bool HasExtension(std::string_view extensions, std::string_view name) {
    if (name.empty()) return false;
    size_t pos = 0;
    while (pos < extensions.size()) {
        while (pos < extensions.size() && extensions[pos] == ' ') ++pos;
        size_t end = extensions.find(' ', pos);
        if (end == std::string_view::npos) end = extensions.size();
        if (extensions.substr(pos, end - pos) == name) return true;
        pos = end;
    }
    return false;
}

namespace {

// The leading number of `text` from `pos` on; -1 when there is none.
int LeadingNumber(std::string_view text, size_t& pos) {
    int value = -1;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && value < 100000) {
        value = (value < 0 ? 0 : value * 10) + (text[pos] - '0');
        ++pos;
    }
    return value;
}

bool IsPowerOfTwo(int value) {
    return value > 0 && (value & (value - 1)) == 0;
}

// The smallest power of two not below `value`, at most `limit`.
int PowerOfTwoAtLeast(int value, int limit) {
    int side = 1;
    while (side < value && side <= limit / 2) side *= 2;
    return side;
}

}  // namespace

bool TakesAnyTextureSize(std::string_view version, std::string_view extensions) {
    if (HasExtension(extensions, "GL_ARB_texture_non_power_of_two")) return true;
    size_t pos = 0;
    const int major = LeadingNumber(version, pos);
    return major >= 2 && pos < version.size() && version[pos] == '.';
}

TextureSize TextureUploadSize(int width, int height, bool anySize, int maxSide) {
    if (anySize || (IsPowerOfTwo(width) && IsPowerOfTwo(height))) return TextureSize{width, height};
    constexpr int kNoLimit = 1 << 30;
    const int limit = maxSide > 0 ? maxSide : kNoLimit;
    return TextureSize{PowerOfTwoAtLeast(width, limit), PowerOfTwoAtLeast(height, limit)};
}

}  // namespace orvalis
