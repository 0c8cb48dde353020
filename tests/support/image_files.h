// Builders of image files for the tests: BMP pictures, icon images and .ico
// files, little-endian fields. Portable C++ (no windows.h), shared by the
// native suite and the Win32 suite.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

namespace testimg {

// Appends value as size little-endian bytes; SetLe overwrites them at `at`.
void Le(std::string* out, uint32_t value, int size);
void SetLe(std::string* out, size_t at, uint32_t value, int size);

// Channel c (0 blue, 1 green, 2 red) of pixel (x, y), y counted from the top:
// the pattern MakeBmp draws unless told otherwise. An 8-bit picture stores
// channel 0 as the palette index.
uint8_t Channel(int x, int y, int c);
using ChannelAt = std::function<uint8_t(int x, int y, int c)>;

// A BMP file of the given depth; rows run bottom-up unless topDown. Palettes
// (bits <= 8) hold entry i = (red i, green 255 - i, blue i / 2). compression 3
// adds red, green and blue masks (after a 40-byte header, or inside a longer one).
std::string MakeBmp(int width, int height, int bits, bool topDown = false, uint32_t headerSize = 40,
                    uint32_t compression = 0, const ChannelAt& channel = Channel);

// A 24-bit bottom-up BMP file whose pixel (x, y) is rgbAt(x, y) as 0xRRGGBB.
std::string Bmp24(int width, int height, const std::function<uint32_t(int x, int y)>& rgbAt);

// A bitmap icon image: 40-byte header (height doubled), palette, colour rows
// of one shade, mask rows all shown.
std::string BitmapIconImage(int size, int bits, uint8_t shade);
// A 32-bit icon image of one colour (0xRRGGBB), fully opaque.
std::string SolidIconImage(int size, uint32_t rgb);
// The start of a PNG file: signature and IHDR chunk (enough for the checks).
std::string PngIconImage(uint32_t width, uint32_t height);

struct IconImageFile {
    int width;  // 256 is stored as 0
    int bits;
    std::string bytes;
};
// An .ico file of these images, in this order.
std::string IconFile(const std::vector<IconImageFile>& images);

// The pixels of a 24-bit BMP file (bottom-up or top-down), as a window capture
// writes them.
class BmpPixels {
public:
    // False unless the bytes are a 24-bit BMP file.
    bool Load(const std::string& file);
    int width() const { return width_; }
    int height() const { return height_ < 0 ? -height_ : height_; }
    // Pixel (x, y), y from the top, as 0xRRGGBB; 0xFFFFFFFF outside the picture.
    uint32_t At(int x, int y) const;

private:
    std::string bytes_;
    size_t offset_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

}  // namespace testimg
