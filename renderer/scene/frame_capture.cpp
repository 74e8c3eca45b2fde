#include "renderer/scene/frame_capture.h"

#include <algorithm>
#include <cstddef>

namespace orvalis {

std::vector<uint8_t> ReadFrameTopDown(int width, int height, GLenum buffer) {
    if (width <= 0 || height <= 0) return {};
    const size_t stride = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> bottomUp(stride * static_cast<size_t>(height));
    glFinish();
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    // OpenGL counts rows from the bottom.
    std::vector<uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < height; ++y) {
        const auto from =
            bottomUp.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(height - 1 - y) * stride);
        std::copy_n(from, stride, topDown.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * stride));
    }
    return topDown;
}

}  // namespace orvalis
