// Signing a written package, and the signature part of `pack inspect`.
#pragma once

#include <string>
#include <vector>

#include "code_signing.h"

namespace pe {
class ResourceFile;
}

// Checks what signing needs before anything is written: the certificate, key
// and password files, and the signing tool. Each problem goes to *errors.
void CheckSigning(const SigningOptions& options, std::vector<std::string>* errors);

// Signs the program file in into out (a new file); description is the name
// the system's prompts show for the signed program. False with the reason in
// *error, and no out left behind.
bool SignProgram(const SigningOptions& options, const std::string& description, const std::string& in,
                 const std::string& out, std::string* error);

// The "Signature:" lines of `pack inspect` for the program file at path,
// loaded in file. trustFile may name certificates to trust besides the
// system's. Each finding that makes the file untrustworthy (changed after
// signing, a signature that does not verify) counts in *problems.
std::string DescribeSignature(const std::string& path, const pe::ResourceFile& file, const std::string& trustFile,
                              int* problems);
