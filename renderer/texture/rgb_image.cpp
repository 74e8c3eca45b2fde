#include "renderer/texture/rgb_image.h"

#include <cstdlib>

namespace orvalis {

void FreeRgbImage(RgbImage* image) {
    if (image == nullptr) return;
    std::free(image->data);
    std::free(image);
}

}  // namespace orvalis
