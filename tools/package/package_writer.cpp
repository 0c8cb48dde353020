// Writing package resources into a copy of setup.exe with the resource-update functions.
#include "package_writer.h"

#include <windows.h>

#include "text.h"

namespace {

const WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

std::string LastErrorText(const char* what, const std::string& path) {
    return std::string(what) + " " + path + " (error " + std::to_string(GetLastError()) + ")";
}

bool Put(HANDLE update, const char* name, const std::string& bytes) {
    return UpdateResourceA(update, "RT_DATA", name, kNeutral, const_cast<char*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())) != 0;
}

}  // namespace

PackageContents::PackageContents() {
    SetDefaultSetupRecord(&record);
}

void PackageContents::AddFile(const std::string& name, const std::string& subFolder, const std::string& bytes) {
    FileEntry entry = {};
    CopyText(entry.name, sizeof(entry.name), name.c_str());
    CopyText(entry.subFolder, sizeof(entry.subFolder), subFolder.c_str());
    entry.size = static_cast<int32_t>(bytes.size());
    files.push_back(entry);
    payload += bytes;
}

std::string PackageContents::EncodedRecord() const {
    std::string bytes(SetupRecordSize(static_cast<int32_t>(files.size())), '\0');
    EncodeSetupRecord(record, files.data(), static_cast<int32_t>(files.size()),
                      reinterpret_cast<uint8_t*>(&bytes[0]));
    return bytes;
}

bool UpdateProgramResource(const std::string& exe, const char* type, const char* name, const std::string& bytes,
                           std::string* error) {
    HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
    if (!update) {
        *error = LastErrorText("cannot open for resource update:", exe);
        return false;
    }
    if (!UpdateResourceA(update, type, name, kNeutral, const_cast<char*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()))) {
        *error = LastErrorText("cannot update a resource of", exe);
        EndUpdateResourceA(update, TRUE);
        return false;
    }
    if (!EndUpdateResourceA(update, FALSE)) {
        *error = LastErrorText("cannot write the resources of", exe);
        return false;
    }
    return true;
}

bool WritePackage(const std::string& setupExe, const std::string& outExe, const PackageContents& contents,
                  std::string* error) {
    std::string temporary = outExe + ".partial";
    if (!CopyFileA(setupExe.c_str(), temporary.c_str(), FALSE)) {
        *error = LastErrorText("cannot copy", setupExe);
        return false;
    }
    SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE update = BeginUpdateResourceA(temporary.c_str(), FALSE);
    if (!update) {
        *error = LastErrorText("cannot open for resource update:", temporary);
        DeleteFileA(temporary.c_str());
        return false;
    }
    bool ok = true;
    // The resource-update functions cannot store an empty resource (size 0 means
    // "delete"), so an empty payload is simply not written.
    if (contents.writePayload && !contents.payload.empty()) ok = ok && Put(update, "5000", contents.payload);
    if (contents.writeRecord) {
        ok = ok && Put(update, "5001", contents.rawRecord.empty() ? contents.EncodedRecord() : contents.rawRecord);
    }
    if (contents.writeLicense) ok = ok && Put(update, "5010", contents.license);
    if (contents.writeInfo) ok = ok && Put(update, "5011", contents.info);
    if (!ok) {
        *error = LastErrorText("cannot add the package resources to", temporary);
        EndUpdateResourceA(update, TRUE);
        DeleteFileA(temporary.c_str());
        return false;
    }
    if (!EndUpdateResourceA(update, FALSE)) {
        *error = LastErrorText("cannot write the package resources into", temporary);
        DeleteFileA(temporary.c_str());
        return false;
    }
    if (!MoveFileExA(temporary.c_str(), outExe.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        *error = LastErrorText("cannot rename the finished package to", outExe);
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}
