// Writes a frame as a picture file: binary PPM, or PNG through the packaged single-header writer
// (stb_image_write.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvalis {

enum class ImageFormat { kUnknown, kPng, kPpm };

// The picture format a file name asks for, by its extension (either case).
ImageFormat ImageFormatForPath(std::string_view path);

// `rgb` holds width x height pixels of red, green, blue bytes, top row first.
std::vector<uint8_t> EncodePpm(int width, int height, std::span<const uint8_t> rgb);
std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> rgb);

// Writes the picture in the format the file name's extension (.png or .ppm) names. False with a message in
// `error` when the name, the size or the file is not right.
bool WriteImageFile(const std::string& path, int width, int height, std::span<const uint8_t> rgb,
                    std::string& error);

}  // namespace orvalis
