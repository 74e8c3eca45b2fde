// Writes a frame as a picture file without any imaging library: binary PPM, or PNG with the image data in
// stored (uncompressed) deflate blocks, with the project's own CRC-32 and Adler-32.
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

// CRC-32 of PNG and zlib (reflected polynomial 0xEDB88320); `crc` continues an earlier run.
uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);

// Adler-32 of zlib; `adler` continues an earlier run.
uint32_t Adler32(std::span<const uint8_t> bytes, uint32_t adler = 1);

// A zlib stream of `bytes` in stored deflate blocks of at most 65535 bytes.
std::vector<uint8_t> ZlibStored(std::span<const uint8_t> bytes);

// `rgb` holds width x height pixels of red, green, blue bytes, top row first.
std::vector<uint8_t> EncodePpm(int width, int height, std::span<const uint8_t> rgb);
std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> rgb);

// Writes the picture in the format the file name's extension (.png or .ppm) names. False with a message in
// `error` when the name, the size or the file is not right.
bool WriteImageFile(const std::string& path, int width, int height, std::span<const uint8_t> rgb,
                    std::string& error);

}  // namespace orvalis
