// Compression of a package's payload (Compression = fast or best): the files'
// bytes as one Zstandard stream behind the header of the compressed payload.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>

#include "pe_resources.h"

enum PayloadCompression {
    kCompressionNone = 0,
    kCompressionFast = 1,  // quick to make, about a third of the size of programs
    kCompressionBest = 2,  // slow to make, the smallest: for downloads
};

// The window log the compressed payload of decodedSize bytes uses: no more
// history than the payload has, at most the largest setup decodes.
int CompressionWindowLog(uint64_t decodedSize);

// Compresses the decodedSize bytes that source emits into out (a temporary
// file, written from its start): the header, then the stream. The same input
// gives the same bytes, on Linux and on Windows, 32-bit or 64-bit: every pack
// links the same release of the encoder, single-threaded, with the settings
// below. False with a reason.
bool CompressPayload(const pe::ResourceStream& source, uint64_t decodedSize, PayloadCompression level, FILE* out,
                     std::string* error);
