// Icon files (.ico) read and checked, and an icon group of a program file
// replaced by one.
//
// .ico layout (little-endian):
//   ICONDIR       6 bytes: reserved 0 (2), type 1 = icon (2), image count (2)
//   entries       16 bytes each: width (1, 0 = 256), height (1, 0 = 256),
//                 colour count (1), reserved (1), planes (2), bits per pixel (2),
//                 image size (4), image offset from the file start (4)
//   images        each a PNG file, or a BITMAPINFOHEADER (40 bytes, height
//                 twice the icon's: colour rows then the 1-bit mask rows),
//                 palette, colour rows, mask rows, rows padded to 4 bytes
//
// In a program file each image is an RT_ICON (3) resource of its own id, and
// the group is an RT_GROUP_ICON (14): the same 6-byte header, then 14-byte
// entries that end with the 16-bit RT_ICON id instead of the file offset.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace pe {
class ResourceFile;
}

struct IconImage {
    int width = 0;       // pixels, 1..256
    int height = 0;
    int colorCount = 0;  // the entry's byte (0 for 256 colours or more)
    int planes = 1;
    int bitCount = 0;    // bits per pixel
    bool png = false;
    std::string bytes;   // the image as stored in the file
};

// Reads an .ico file. False with a reason in *error (for example "it is not an
// icon file: ...") when the bytes are not a well-formed icon file.
bool ParseIconFile(const std::string& bytes, std::vector<IconImage>* images, std::string* error);

// Replaces icon group groupId of file by images: the RT_ICON images the old
// group used (and no other group uses) are removed, the new images get the
// lowest ids no remaining RT_ICON has, and the group keeps the language of the
// old one (neutral when there was none). The file keeps copies of the bytes.
void ReplaceIconGroup(pe::ResourceFile* file, uint16_t groupId, const std::vector<IconImage>& images);

// "48x48 8-bit, 32x32 32-bit PNG" for the group of that id, read from file;
// "" when there is no such group, a reason after "damaged: " when it is damaged.
std::string DescribeIconGroup(const pe::ResourceFile& file, uint16_t groupId);
