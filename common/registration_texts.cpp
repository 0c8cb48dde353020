// The registration texts: two zero-terminated texts back to back.
#include "registration_texts.h"

#include <string.h>

namespace {

// Copies the text that starts at *at into out when it ends within size and
// is short enough; moves *at past its terminator.
int ReadText(const uint8_t* data, size_t size, size_t* at, char out[kPathSize]) {
    const void* end = memchr(data + *at, 0, size - *at);
    if (!end) return 0;
    size_t length = static_cast<size_t>(static_cast<const uint8_t*>(end) - (data + *at));
    if (length >= kPathSize) return 0;
    memcpy(out, data + *at, length + 1);
    *at += length + 1;
    return 1;
}

}  // namespace

int ParseRegistrationTexts(const uint8_t* data, size_t size, RegistrationTexts* out) {
    out->version[0] = out->publisher[0] = 0;
    if (!data) return 1;
    size_t at = 0;
    if (size > 0 && ReadText(data, size, &at, out->version) && at < size &&
        ReadText(data, size, &at, out->publisher) && at == size) {
        return 1;
    }
    out->version[0] = out->publisher[0] = 0;
    return 0;
}

size_t EncodeRegistrationTexts(const char* version, const char* publisher, uint8_t* out, size_t cap) {
    size_t a = strlen(version);
    size_t b = strlen(publisher);
    if (a >= kPathSize || b >= kPathSize || a + b + 2 > cap) return 0;
    memcpy(out, version, a + 1);
    memcpy(out + a + 1, publisher, b + 1);
    return a + b + 2;
}
