#include "image_files.h"

namespace testimg {

void Le(std::string* out, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void SetLe(std::string* out, size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) (*out)[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint8_t Channel(int x, int y, int c) { return static_cast<uint8_t>(x * 7 + y * 3 + c * 50); }

std::string MakeBmp(int width, int height, int bits, bool topDown, uint32_t headerSize, uint32_t compression,
                    const ChannelAt& channel) {
    size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
    uint32_t colours = bits <= 8 ? (1u << bits) : 0;
    bool masks = compression == 3 && headerSize == 40;
    uint32_t offset = 14 + headerSize + (masks ? 12 : 0) + colours * 4;
    std::string file = "BM";
    Le(&file, static_cast<uint32_t>(offset + stride * height), 4);
    Le(&file, 0, 4);
    Le(&file, offset, 4);
    std::string header;
    Le(&header, headerSize, 4);
    Le(&header, static_cast<uint32_t>(width), 4);
    Le(&header, static_cast<uint32_t>(topDown ? -height : height), 4);
    Le(&header, 1, 2);
    Le(&header, static_cast<uint32_t>(bits), 2);
    Le(&header, compression, 4);
    Le(&header, static_cast<uint32_t>(stride * height), 4);
    header.append(16, '\0');
    if (compression == 3) {
        Le(&header, 0xFF0000, 4);
        Le(&header, 0xFF00, 4);
        Le(&header, 0xFF, 4);
    }
    header.resize(headerSize + (masks ? 12 : 0), '\0');
    file += header;
    for (uint32_t i = 0; i < colours; ++i) Le(&file, (i << 16) | ((255 - i) << 8) | (i / 2), 4);
    for (int row = 0; row < height; ++row) {
        int y = topDown ? row : height - 1 - row;
        std::string line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            if (bits == 8) line[x] = static_cast<char>(channel(x, y, 0));
            if (bits >= 24) {
                for (int c = 0; c < 3; ++c) line[x * (bits / 8) + c] = static_cast<char>(channel(x, y, c));
                if (bits == 32) line[x * 4 + 3] = static_cast<char>(0x80);
            }
        }
        file += line;
    }
    return file;
}

std::string Bmp24(int width, int height, const std::function<uint32_t(int x, int y)>& rgbAt) {
    return MakeBmp(width, height, 24, false, 40, 0,
                   [&](int x, int y, int c) { return static_cast<uint8_t>(rgbAt(x, y) >> (8 * c)); });
}

namespace {

// The 40-byte header of an icon image (height doubled for the mask), its
// palette of one shade, and where its colour rows start.
std::string IconImageHeader(int size, int bits, uint8_t shade) {
    std::string image;
    Le(&image, 40, 4);
    Le(&image, static_cast<uint32_t>(size), 4);
    Le(&image, static_cast<uint32_t>(size * 2), 4);
    Le(&image, 1, 2);
    Le(&image, static_cast<uint32_t>(bits), 2);
    image.append(24, '\0');
    if (bits <= 8) image.append((1u << bits) * 4, static_cast<char>(shade));
    return image;
}

size_t MaskBytes(int size) { return (static_cast<size_t>(size) + 31) / 32 * 4 * size; }

}  // namespace

std::string BitmapIconImage(int size, int bits, uint8_t shade) {
    std::string image = IconImageHeader(size, bits, shade);
    size_t colourStride = (static_cast<size_t>(size) * bits + 31) / 32 * 4;
    image.append(colourStride * size, static_cast<char>(shade));
    image.append(MaskBytes(size), '\0');
    return image;
}

std::string SolidIconImage(int size, uint32_t rgb) {
    std::string image = IconImageHeader(size, 32, 0);
    for (int i = 0; i < size * size; ++i) Le(&image, 0xFF000000u | rgb, 4);  // b, g, r, alpha
    image.append(MaskBytes(size), '\0');
    return image;
}

std::string PngIconImage(uint32_t width, uint32_t height) {
    std::string image("\x89PNG\r\n\x1A\n", 8);
    image += std::string("\0\0\0\x0DIHDR", 8);
    for (uint32_t v : {width, height}) {
        for (int i = 3; i >= 0; --i) image.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    image += std::string("\x08\x06\0\0\0", 5) + "crc." + "IEND";
    return image;
}

std::string IconFile(const std::vector<IconImageFile>& images) {
    std::string file;
    Le(&file, 0, 2);
    Le(&file, 1, 2);
    Le(&file, static_cast<uint32_t>(images.size()), 2);
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (const IconImageFile& image : images) {
        file.push_back(static_cast<char>(image.width == 256 ? 0 : image.width));
        file.push_back(static_cast<char>(image.width == 256 ? 0 : image.width));
        file.push_back(static_cast<char>(image.bits == 4 ? 16 : 0));
        file.push_back(0);
        Le(&file, 1, 2);
        Le(&file, static_cast<uint32_t>(image.bits), 2);
        Le(&file, static_cast<uint32_t>(image.bytes.size()), 4);
        Le(&file, offset, 4);
        offset += static_cast<uint32_t>(image.bytes.size());
    }
    for (const IconImageFile& image : images) file += image.bytes;
    return file;
}

namespace {

uint32_t U32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

}  // namespace

bool BmpPixels::Load(const std::string& file) {
    bytes_ = file;
    width_ = height_ = 0;
    if (bytes_.size() < 54 || bytes_.compare(0, 2, "BM") != 0) return false;
    offset_ = U32(bytes_, 10);
    width_ = static_cast<int32_t>(U32(bytes_, 18));
    height_ = static_cast<int32_t>(U32(bytes_, 22));
    return (U32(bytes_, 28) & 0xFFFF) == 24;
}

uint32_t BmpPixels::At(int x, int y) const {
    int rows = height();
    if (x < 0 || y < 0 || x >= width_ || y >= rows) return 0xFFFFFFFFu;
    int row = height_ < 0 ? y : rows - 1 - y;
    size_t at = offset_ + static_cast<size_t>(row) * ((static_cast<size_t>(width_) * 3 + 3) / 4 * 4) + x * 3;
    if (at + 3 > bytes_.size()) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes_[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes_[at + 1])) << 8 | static_cast<uint8_t>(bytes_[at]);
}

}  // namespace testimg
