// Extraction of the payload: the files stored back to back in RT_DATA "5000",
// or the same bytes compressed in RT_DATA "5002", written below installDir in
// the order of the files list.
#pragma once

#include <windows.h>
#include <stdint.h>

#include <atomic>

class CSetupConfig;

enum ExtractResult {
    kExtractDone = 1,     // every entry written in full
    kExtractStopped = 0,  // the GUI thread cleared the running flag
    kExtractFailed = -1,  // a file could not be written in full, see ExtractPayload
};

// Finds and locks the payload resource of module. Returns 0 when it is missing
// (*missing set to 1), or cannot be loaded or locked, or the module holds the
// compressed payload "5002" too: such a package is damaged (*missing 0).
int LockPayload(HMODULE module, const uint8_t** data, DWORD* size, int* missing);

// Writes every entry of config->files from data (size bytes) below installDir,
// logging the folders it creates and every file it writes. Sets *running to 1
// before the first file and tests it before every file; page (may be null)
// receives the target path in control 4602 and the count in progress bar 4603.
// Leaves *running at 0 when it returns. A 1 ms system timer period is asked
// for while it runs (so that the 1 ms pause after each file lasts about 1 ms)
// and given back before it returns.
//
// Failures (the files already written stay):
// - a target path that would be longer than 259 characters;
// - an entry whose bytes do not lie wholly inside the payload (nothing is read
//   past its end, and no file is made for that entry);
// - a target file that cannot be created, or a write that transfers fewer bytes
//   than the entry holds (that file is logged: it exists on disk).
ExtractResult ExtractPayload(CSetupConfig* config, const uint8_t* data, DWORD size, std::atomic<int>* running,
                             HWND page);

// Finds and locks the compressed payload of module ("5002"); 0 when there is none.
int LockCompressedPayload(HMODULE module, const uint8_t** data, DWORD* size);

// The same as ExtractPayload from the compressed payload (size bytes at data,
// its header first): the stream is decoded ahead of the writes on a second
// thread, into a ring of a few megabytes (see decode_ahead.h), and each file
// is written from it a piece at a time, with no more memory than the stream's
// window, the ring and one piece. A damaged stream (a header, a length or an offset that does not
// hold, a checksum that does not match, bytes left over after the last file)
// is a failure like a file that cannot be written.
ExtractResult ExtractCompressedPayload(CSetupConfig* config, const uint8_t* data, DWORD size,
                                       std::atomic<int>* running, HWND page);
