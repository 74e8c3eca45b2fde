#include "renderer/scene/image_write.h"

#include <stb_image_write.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orvalis {
namespace {

bool SizeFits(int width, int height, std::span<const uint8_t> rgb) {
    return width > 0 && height > 0 &&
           rgb.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text = text.substr(text.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != suffix[i]) return false;
    }
    return true;
}

}  // namespace

ImageFormat ImageFormatForPath(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.size() > 4 && EndsWithNoCase(name, ".png")) return ImageFormat::kPng;
    if (name.size() > 4 && EndsWithNoCase(name, ".ppm")) return ImageFormat::kPpm;
    return ImageFormat::kUnknown;
}

std::vector<uint8_t> EncodePpm(int width, int height, std::span<const uint8_t> rgb) {
    if (!SizeFits(width, height, rgb)) return {};
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    out.insert(out.end(), rgb.begin(), rgb.end());
    return out;
}

std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> rgb) {
    if (!SizeFits(width, height, rgb)) return {};
    std::vector<uint8_t> out;
    const auto append = [](void* context, void* data, int size) {
        auto& bytes = *static_cast<std::vector<uint8_t>*>(context);
        const auto* first = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), first, first + size);
    };
    if (stbi_write_png_to_func(append, &out, width, height, 3, rgb.data(), width * 3) == 0) return {};
    return out;
}

bool WriteImageFile(const std::string& path, int width, int height, std::span<const uint8_t> rgb,
                    std::string& error) {
    std::vector<uint8_t> bytes;
    switch (ImageFormatForPath(path)) {
        case ImageFormat::kPng:
            bytes = EncodePng(width, height, rgb);
            break;
        case ImageFormat::kPpm:
            bytes = EncodePpm(width, height, rgb);
            break;
        case ImageFormat::kUnknown:
            error = path + ": not a .png or .ppm file name";
            return false;
    }
    if (bytes.empty()) {
        error =
            path + ": no picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = path + ": could not write the picture";
        return false;
    }
    return true;
}

}  // namespace orvalis
