#pragma once

#include <cstdint>
#include <string>

namespace mapvale::servers {

// A valid PNG image of one colour (8-bit RGB, uncompressed deflate blocks), for the product
// pictures of a world. `width` and `height` from 1 to 256.
std::string TinyPng(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

}  // namespace mapvale::servers
