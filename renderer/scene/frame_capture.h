// The drawn frame read back from OpenGL as a picture: the Linux program's --save and the frame dump use it.
#pragma once

#include <cstdint>
#include <vector>

#include "renderer/scene/opengl.h"

namespace orvalis {

// Waits for the drawing to finish and reads `width` x `height` pixels of `buffer` (GL_BACK or GL_FRONT) as
// red, green, blue bytes, top row first, the order the picture writer takes.
std::vector<uint8_t> ReadFrameTopDown(int width, int height, GLenum buffer);

}  // namespace orvalis
