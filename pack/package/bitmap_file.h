// The wizard's pictures: BMP files checked and turned into RT_BITMAP resources.
//
// BMP layout (little-endian):
//   BITMAPFILEHEADER  14 bytes: "BM", file size (4), reserved (4), offset of
//                     the pixels from the file start (4)
//   info header       BITMAPINFOHEADER (40 bytes) or its longer forms (108,
//                     124): size (4), width (4), height (4, negative when the
//                     rows run top-down), planes (2), bits per pixel (2),
//                     compression (4), image size (4), resolution (4+4),
//                     colours used (4), colours important (4)[, masks...]
//   palette           4 bytes a colour, for 1, 4 and 8 bits per pixel
//   pixels            rows padded to 4 bytes, bottom row first
//
// What the wizard draws correctly (LoadBitmap, then a static control that
// shows the picture at its own size): uncompressed 1, 4, 8 (palette) or 24-bit
// bottom-up pictures of exactly the expected size. Converted on the way,
// because it is simple and loses nothing the wizard would show: rows stored
// top-down (flipped), a 108- or 124-byte header (cut to 40 bytes), 32-bit
// pixels, uncompressed or with the usual masks (the unused or alpha byte is
// dropped: the wizard draws no transparency). Refused: 16-bit pixels, RLE and
// other compressions, OS/2 headers, any other size.
//
// An RT_BITMAP resource is the file without its BITMAPFILEHEADER: the 40-byte
// header, the palette, the pixels.
#pragma once

#include <string>

// The RT_BITMAP bytes of a BMP file whose picture must be width x height.
// False with a reason in *error otherwise (the reason names the expected size
// when the size is wrong).
bool PrepareBitmap(const std::string& file, int width, int height, std::string* resource, std::string* error);

// "144 x 324, 8-bit" for RT_BITMAP bytes, "damaged" when they are not a bitmap.
std::string DescribeBitmap(const std::string& resource);
