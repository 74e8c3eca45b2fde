// Untrusted bytes through the bitmap reader: it must never read outside the file, and whatever its
// header logic accepts must describe bits that lie inside the file (the system's conversion on Windows
// reads exactly those bytes).
#include <cstdint>
#include <cstdlib>
#include <span>

#include "renderer/texture/dib_reader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);

    const auto parsed = orvalis::ParseDib(file);
    if (parsed.failure == orvalis::DibFailure::None) {
        const auto& layout = parsed.layout;
        Check(layout.bitsOffset <= size && layout.bitsSize <= size - layout.bitsOffset);
        Check(layout.header.clrUsed == layout.colorCount);
        const size_t masks = layout.header.compression == orvalis::kBiBitfields ? 3 : 0;
        Check(layout.info.size() == orvalis::kDibInfoHeaderSize + (masks + layout.colorCount) * 4);
        Check(layout.header.width > 0 && layout.header.width <= orvalis::kDibMaxDimension);
    }

    const auto result = orvalis::DecodeDib(file);
    Check((result.image != nullptr) == (result.failure == orvalis::DibFailure::None));
    if (result.image) {
        const auto& image = *result.image;
        Check(image.width > 0 && image.height > 0);
        // Touch every byte, so a short allocation shows up under the address sanitizer.
        volatile uint32_t sum = 0;
        const size_t bytes = static_cast<size_t>(image.width) * image.height * 3;
        for (size_t i = 0; i < bytes; ++i) sum = sum + image.data[i];
    }
    return 0;
}
