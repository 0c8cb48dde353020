// BMP files checked and converted for the wizard (see bitmap_file.h).
#include "bitmap_file.h"

#include <stdint.h>

namespace {

const size_t kFileHeaderSize = 14;
const uint32_t kInfoHeaderSize = 40;
const uint32_t kRgb = 0;         // BI_RGB: uncompressed
const uint32_t kBitfields = 3;   // BI_BITFIELDS: uncompressed, with colour masks

uint32_t Le(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void PutLe(std::string* out, size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) (*out)[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Size(int64_t width, int64_t height) { return std::to_string(width) + " x " + std::to_string(height); }

}  // namespace

bool PrepareBitmap(const std::string& file, int width, int height, std::string* resource, std::string* error) {
    auto fail = [error](const std::string& why) {
        *error = why;
        return false;
    };
    if (file.size() < kFileHeaderSize + 4 || file.compare(0, 2, "BM") != 0) {
        return fail("it is not a BMP file (no BM header)");
    }
    uint32_t pixelsAt = Le(file, 10, 4);
    uint32_t headerSize = Le(file, kFileHeaderSize, 4);
    if (headerSize == 12) return fail("it is an old OS/2 bitmap; save it as a Windows BMP");
    if (headerSize != kInfoHeaderSize && headerSize != 108 && headerSize != 124) {
        return fail("its header of " + std::to_string(headerSize) + " bytes is not a Windows bitmap header");
    }
    if (file.size() < kFileHeaderSize + headerSize) return fail("it is cut short inside its header");
    const size_t h = kFileHeaderSize;
    int32_t fileWidth = static_cast<int32_t>(Le(file, h + 4, 4));
    int32_t fileHeight = static_cast<int32_t>(Le(file, h + 8, 4));
    uint32_t planes = Le(file, h + 12, 2);
    uint32_t bits = Le(file, h + 14, 2);
    uint32_t compression = Le(file, h + 16, 4);
    uint32_t colorsUsed = Le(file, h + 32, 4);
    bool topDown = fileHeight < 0;
    int64_t rows = topDown ? -static_cast<int64_t>(fileHeight) : fileHeight;
    if (fileWidth != width || rows != height) {
        return fail("the picture is " + Size(fileWidth, rows) + " pixels; the wizard needs exactly " +
                    Size(width, height));
    }
    if (planes != 1) return fail("it has " + std::to_string(planes) + " planes (1 expected)");

    // The masks of BI_BITFIELDS follow a 40-byte header, or sit inside a longer one.
    size_t masksAt = h + kInfoHeaderSize;
    size_t paletteAt = h + headerSize;
    if (compression == kBitfields && bits == 32) {
        if (headerSize == kInfoHeaderSize) paletteAt += 12;
        if (file.size() < masksAt + 12) return fail("it is cut short inside its colour masks");
        if (Le(file, masksAt, 4) != 0xFF0000 || Le(file, masksAt + 4, 4) != 0xFF00 || Le(file, masksAt + 8, 4) != 0xFF) {
            return fail("its 32-bit pixels use unusual colour masks; save it as a 24-bit BMP");
        }
    } else if (compression != kRgb) {
        return fail("it is compressed (RLE, JPEG or PNG inside BMP); save it as an uncompressed 24-bit or 8-bit BMP");
    }
    if (bits == 16) return fail("it has 16-bit pixels; save it as a 24-bit or 8-bit BMP");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        return fail("it has " + std::to_string(bits) + " bits per pixel; save it as a 24-bit or 8-bit BMP");
    }
    uint64_t colors = 0;
    if (bits <= 8) {
        if (colorsUsed > (1u << bits)) return fail("its palette is larger than its bits per pixel allow");
        colors = colorsUsed ? colorsUsed : (1u << bits);
    }
    if (paletteAt + colors * 4 > pixelsAt) return fail("its pixels start inside its header or palette");
    uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    if (pixelsAt + stride * height > file.size()) {
        return fail("it is cut short: " + Size(width, height) + " pixels need " + std::to_string(stride * height) +
                    " bytes from offset " + std::to_string(pixelsAt) + ", the file has " +
                    std::to_string(file.size()));
    }

    // 40-byte header, palette, then the rows bottom-up (24-bit for 32-bit input).
    uint32_t outBits = bits == 32 ? 24 : bits;
    uint64_t outStride = (static_cast<uint64_t>(width) * outBits + 31) / 32 * 4;
    std::string out = file.substr(h, kInfoHeaderSize);
    PutLe(&out, 0, kInfoHeaderSize, 4);
    PutLe(&out, 8, static_cast<uint32_t>(height), 4);
    PutLe(&out, 14, outBits, 2);
    PutLe(&out, 16, kRgb, 4);
    PutLe(&out, 20, static_cast<uint32_t>(outStride * height), 4);
    PutLe(&out, 32, bits <= 8 ? colorsUsed : 0, 4);
    PutLe(&out, 36, 0, 4);
    out += file.substr(paletteAt, static_cast<size_t>(colors * 4));
    for (int row = 0; row < height; ++row) {
        size_t from = static_cast<size_t>(pixelsAt + stride * (topDown ? height - 1 - row : row));
        if (bits != 32) {
            out += file.substr(from, static_cast<size_t>(stride));
            continue;
        }
        std::string converted(static_cast<size_t>(outStride), '\0');
        for (int x = 0; x < width; ++x) converted.replace(static_cast<size_t>(x) * 3, 3, file, from + x * 4, 3);
        out += converted;
    }
    *resource = out;
    return true;
}

std::string DescribeBitmap(const std::string& resource) {
    if (resource.size() < kInfoHeaderSize || Le(resource, 0, 4) < kInfoHeaderSize) return "damaged";
    int32_t height = static_cast<int32_t>(Le(resource, 8, 4));
    return Size(static_cast<int32_t>(Le(resource, 4, 4)), height < 0 ? -static_cast<int64_t>(height) : height) +
           ", " + std::to_string(Le(resource, 14, 2)) + "-bit" + (height < 0 ? " top-down" : "") +
           (Le(resource, 16, 4) != kRgb ? " compressed" : "");
}
