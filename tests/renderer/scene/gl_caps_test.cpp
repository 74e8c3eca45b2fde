#include "renderer/scene/gl_caps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvalis {
namespace {

TEST(TextureSizeTest, OnlyOldDriversWithoutTheExtensionGetPowersOfTwo) {
    const char* npot = "GL_ARB_multitexture GL_ARB_texture_non_power_of_two GL_EXT_bgra";
    EXPECT_FALSE(TakesAnyTextureSize("1.1.0", "GL_ARB_multitexture GL_EXT_bgra"));
    EXPECT_FALSE(TakesAnyTextureSize("1.5 Mesa 22.3.6", "GL_ARB_texture_non_power_of_two_x"));
    EXPECT_TRUE(TakesAnyTextureSize("1.1.0", npot));
    EXPECT_TRUE(TakesAnyTextureSize("2.0", ""));
    EXPECT_TRUE(TakesAnyTextureSize("4.5 (Compatibility Profile) Mesa 22.3.6", ""));
    EXPECT_TRUE(TakesAnyTextureSize("10.0", ""));
    for (const char* unknown : {"", "OpenGL ES 3.2", "2", "x2.1"}) {
        EXPECT_FALSE(TakesAnyTextureSize(unknown, "")) << unknown;
    }

    struct Case {
        int width, height;
        bool anySize;
        int maxSide;
        TextureSize expected;
    };
    const Case cases[] = {
        {128, 128, false, 1024, {128, 128}},  // the host's picture, unchanged
        {120, 100, false, 1024, {128, 128}}, {129, 64, false, 1024, {256, 64}},
        {1, 3, false, 1024, {1, 4}},         {120, 100, true, 1024, {120, 100}},
        {3000, 5, false, 1024, {1024, 8}},   {3000, 5, false, 1000, {512, 8}},
        {3000, 5, false, 0, {4096, 8}},      {64, 2048, false, 1024, {64, 2048}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextureUploadSize(c.width, c.height, c.anySize, c.maxSide), c.expected)
            << c.width << "x" << c.height << " max " << c.maxSide;
    }
}

TEST(ExtensionListTest, MatchesWholeNamesOnly) {
    EXPECT_TRUE(HasExtension("WGL_ARB_extensions_string WGL_EXT_swap_control", "WGL_EXT_swap_control"));
    EXPECT_TRUE(HasExtension("  WGL_EXT_swap_control  ", "WGL_EXT_swap_control"));
    EXPECT_FALSE(HasExtension("WGL_EXT_swap_control_tear", "WGL_EXT_swap_control"));
    EXPECT_FALSE(HasExtension("XWGL_EXT_swap_control", "WGL_EXT_swap_control"));
    EXPECT_FALSE(HasExtension("", "WGL_EXT_swap_control"));
    EXPECT_FALSE(HasExtension("WGL_EXT_swap_control", ""));
}

}  // namespace
}  // namespace orvalis
