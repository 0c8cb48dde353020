#include "test_files.h"

#include <stdio.h>
#include <sys/stat.h>

namespace testfiles {

bool ReadFileBytes(const std::string& path, std::string* bytes) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes->clear();
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) bytes->append(buffer, n);
    fclose(f);
    return true;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes) {
    std::string read;
    if (!ReadFileBytes(path, &read)) return false;
    bytes->assign(read.begin(), read.end());
    return true;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    return WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(("(" + command + ") 2>&1").c_str(), "r");
    if (!pipe) return "<cannot run>";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) out.append(buffer, n);
    int exit = pclose(pipe);
    if (status) *status = exit;
    return out;
}

}  // namespace testfiles
