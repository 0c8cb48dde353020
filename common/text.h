// Bounded text helpers: every composed text is cut to its buffer, never written past it.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Copies src into dst (capacity cap bytes, cap > 0), cut to cap - 1 characters.
// Returns 1 if the whole text fitted, 0 if it was cut.
int CopyText(char* dst, size_t cap, const char* src);

// Formats into dst like sprintf, cut to cap - 1 characters and always terminated.
// Returns 1 if the whole text fitted, 0 if it was cut.
int FormatText(char* dst, size_t cap, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Appends src to the string in dst, cut to the capacity. Returns 1 if it fitted.
int AppendText(char* dst, size_t cap, const char* src);

// Reads a zero-terminated string field of fieldSize bytes at offset from data
// (size bytes in all) into out (capacity outCap). The read never passes the end
// of the field or of the data; a field without terminator is cut to fit out.
// Returns 0 (out left unchanged) when the field does not lie wholly inside data.
int ReadStringField(const uint8_t* data, size_t size, size_t offset, size_t fieldSize,
                    char* out, size_t outCap);

// Little-endian readers; return 0 (out unchanged) when the value lies past the end.
int ReadInt32(const uint8_t* data, size_t size, size_t offset, int32_t* out);
int ReadInt16(const uint8_t* data, size_t size, size_t offset, int16_t* out);

// Little-endian writers into a buffer the caller sized.
void PutInt32(uint8_t* at, int32_t value);
void PutInt16(uint8_t* at, int16_t value);
// Writes a string into a zero-filled field of fieldSize bytes (cut to fieldSize - 1);
// text is read no further than fieldSize - 1 bytes, so it need not be terminated.
void PutStringField(uint8_t* at, size_t fieldSize, const char* text);
