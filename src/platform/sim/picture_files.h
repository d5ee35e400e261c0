// Picture files for the simulated desktop: the decoders behind its picture decoder (BMP read by
// us, JPEG through libjpeg-turbo), the encoders that make skin files and test fixtures, and PNG
// for screenshots (libpng). Every decoder reads untrusted bytes with length checks and fails
// with nothing rather than reading out of bounds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "platform/sim/pixels.h"

namespace kx::sim {

// A BMP file: 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed or with bit fields,
// bottom-up or top-down, with any of the system's info-header versions. Alpha comes out 0.
std::optional<Pixels> DecodeBmp(std::span<const std::uint8_t> bytes);
// A baseline or progressive JPEG in grey, YCbCr or RGB. Alpha comes out 0.
std::optional<Pixels> DecodeJpeg(std::span<const std::uint8_t> bytes);

// An uncompressed 24-bit bottom-up BMP file of the picture (alpha dropped).
std::vector<std::uint8_t> EncodeBmp24(const Pixels& picture);
// A JPEG file of the picture (alpha dropped), quality 1..100; empty on failure.
std::vector<std::uint8_t> EncodeJpeg(const Pixels& picture, int quality);

// An 8-bit RGBA PNG file with the picture's alpha.
bool WritePng(const Pixels& picture, const std::filesystem::path& path);
std::optional<Pixels> ReadPng(const std::filesystem::path& path);

}  // namespace kx::sim
