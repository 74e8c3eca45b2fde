// What the OpenGL driver offers, read from its version and extension strings: named extensions (the swap
// control ones too) and the texture sizes it takes.
#pragma once

#include <string_view>

namespace orvalis {

// True when the space-separated extension list names `name` exactly (not as a prefix of a longer name).
bool HasExtension(std::string_view extensions, std::string_view name);

// Whether the driver takes textures whose sides are not powers of two: it reports version 2.0 or later
// (GL_VERSION, "major.minor..."), or offers GL_ARB_texture_non_power_of_two. A version it does not spell
// counts as an old one.
bool TakesAnyTextureSize(std::string_view version, std::string_view extensions);

struct TextureSize {
    int width = 0;
    int height = 0;
    bool operator==(const TextureSize&) const = default;
};

// The texture's sides as uploaded: the image's own where the driver takes any size or both are powers of two
// already; otherwise each side's next power of two, at most the largest power of two within `maxSide` (the
// driver's limit; 0 when unknown).
TextureSize TextureUploadSize(int width, int height, bool anySize, int maxSide);

}  // namespace orvalis
