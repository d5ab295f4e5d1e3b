#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zqbench {

/// An 8-bit image read from a PNG file: rows top to bottom, `channels` bytes per pixel (1
/// grey, 3 RGB, 4 RGBA).
struct PngImage {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> pixels;

    std::uint8_t at(int row, int column, int channel) const {
        return pixels[(static_cast<std::size_t>(row) * width + column) * channels + channel];
    }
};

/// Reads a non-interlaced 8-bit grey, RGB or RGBA PNG file with its own small inflater, so
/// the benchmarks need no image library. Throws std::runtime_error for anything else.
PngImage readPng(const std::string& path);

}  // namespace zqbench
