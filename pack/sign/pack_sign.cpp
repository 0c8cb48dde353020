// Runs the signing tool for `pack build --sign` and `pack inspect`.
#include "pack_sign.h"

#include <stdio.h>

#include "console.h"
#include "cp1252.h"
#include "host_files.h"
#include "host_process.h"
#include "pe_resources.h"

namespace {

const char kToolMissing[] =
    "signing needs the tool osslsigncode (Debian package osslsigncode), or its path in PACK_OSSLSIGNCODE";

// UTF-8 from the tool, as the console functions take code page 1252.
std::string ForConsole(const std::string& utf8) {
    if (!IsValidUtf8(utf8)) return utf8;
    int badLine = 0;
    uint32_t badCodePoint = 0;
    return Utf8ToCp1252(utf8, &badLine, &badCodePoint);
}

std::string Hex8(uint32_t value) {
    char text[16];
    snprintf(text, sizeof(text), "%08X", value);
    return text;
}

// Reads a file that signing names; false after adding the problem.
bool ReadNamed(const char* what, const std::string& path, std::string* bytes, std::vector<std::string>* errors) {
    std::string why;
    if (ReadWholeFile(path, bytes, &why)) return true;
    errors->push_back(std::string(what) + " '" + path + "' " + why);
    return false;
}

}  // namespace

void CheckSigning(const SigningOptions& options, std::vector<std::string>* errors) {
    std::string bytes;
    if (ReadNamed("certificate", options.certificate, &bytes, errors)) {
        CertificateForm form = FormOfCertificate(bytes);
        if (form == kCertificateEmpty) {
            errors->push_back("certificate '" + options.certificate + "' is empty");
        } else if (form == kCertificatePemOnly && options.key.empty()) {
            errors->push_back("certificate '" + options.certificate +
                              "' holds no private key: give the key with --key KEY.pem, or a PKCS#12 file");
        } else if (form == kCertificatePkcs12 && !options.key.empty()) {
            errors->push_back("--key goes with a PEM certificate; the PKCS#12 file '" + options.certificate +
                              "' holds its key already");
        }
    }
    if (!options.key.empty()) ReadNamed("key", options.key, &bytes, errors);
    if (!options.passwordFile.empty()) ReadNamed("password file", options.passwordFile, &bytes, errors);
    ProgramRun probe = RunProgram(SigningTool(), {"--version"});
    if (!probe.started) errors->push_back(std::string(kToolMissing) + " ('" + SigningTool() + "' " + probe.why + ")");
}

bool SignProgram(const SigningOptions& options, const std::string& description, const std::string& in,
                 const std::string& out, std::string* error) {
    std::string bytes;
    std::string why;
    if (!ReadWholeFile(options.certificate, &bytes, &why)) {
        *error = "certificate '" + options.certificate + "' " + why;
        return false;
    }
    remove(out.c_str());
    CertificateForm form = FormOfCertificate(bytes);
    ProgramRun run = RunProgram(SigningTool(), SignArguments(options, form, description, in, out));
    if (!run.started) {
        *error = std::string(kToolMissing) + " ('" + SigningTool() + "' " + run.why + ")";
        return false;
    }
    if (run.exitCode != 0 || KindOfPath(out, nullptr) != kPathFile) {
        remove(out.c_str());
        *error = "signing failed: ";
        if (run.output.find("Wrong password?") != std::string::npos ||
            run.output.find("bad decrypt") != std::string::npos) {
            const std::string& locked = form == kCertificatePkcs12 || options.key.empty() ? options.certificate
                                                                                         : options.key;
            *error += "the password " + std::string(options.passwordFile.empty() ? "(none given)" : "read from '" +
                      options.passwordFile + "'") + " does not open '" + locked + "' (give it with --password-file); ";
        }
        *error += "the tool says: " + ForConsole(SigningFailure(run.output));
        return false;
    }
    return true;
}

std::string DescribeSignature(const std::string& path, const pe::ResourceFile& file, const std::string& trustFile,
                              int* problems) {
    std::string out = "Signature:\n";
    uint32_t offset = 0;
    uint32_t size = 0;
    file.CertificateTable(&offset, &size);
    if (offset == 0 && size == 0) return out + Field("Signed", "no");
    if (size < 8 || uint64_t{offset} + size > file.FileSize()) {
        ++*problems;
        return out + Field("Signed", "damaged: the certificate table lies outside the file  <- problem");
    }
    out += Field("Signed", "yes, Authenticode (" + std::to_string(size) + " bytes of signature)");
    // Any change to the file after signing changes the sum of its bytes,
    // whatever the verifier can still read of the signature.
    if (file.StoredChecksum() != file.ComputedChecksum()) {
        ++*problems;
        out += Field("Checksum", "stored " + Hex8(file.StoredChecksum()) + ", the bytes give " +
                                     Hex8(file.ComputedChecksum()) + ": the file was changed after signing  <- problem");
    }
    ProgramRun run = RunProgram(SigningTool(), VerifyArguments(path, trustFile));
    if (!run.started) {
        return out + Field("Verified", std::string("not checked: ") + kToolMissing);
    }
    SignatureReport report = ReadVerifyOutput(run.output);
    if (!report.found) {
        ++*problems;
        std::string reason = report.failure.empty() ? "" : " (" + report.failure + ")";
        return out + Field("Verified", "no: the signature cannot be read" + reason + "  <- problem");
    }
    if (report.digestCompared && !report.digestMatches) {
        ++*problems;
        out += Field("Content", "CHANGED after signing: its " + report.digestAlgorithm +
                                    " digest is not the signed one  <- problem");
        return out + Field("Verified", "no: the signature no longer holds, whoever signed it  <- problem");
    }
    out += Field("Signer", ForConsole(report.signer));
    out += Field("Issued by", report.signer == report.issuer ? "itself (self-signed)" : ForConsole(report.issuer));
    out += Field("Valid", report.validFrom + " to " + report.validUntil);
    out += Field("Content", "as signed (" + report.digestAlgorithm + " digest matches)");
    if (report.verified) {
        out += Field("Verified", "yes: the signature and its certificate chain");
    } else if (report.problem.find("certificate") != std::string::npos) {
        // The signature is intact, but this machine does not trust its
        // certificate (self-signed, unknown authority, expired): people who
        // run the package are told of an unknown or untrusted publisher.
        out += Field("Verified", "the signature is intact; its certificate is not trusted here: " +
                                     ForConsole(report.problem));
    } else {
        ++*problems;
        std::string reason = !report.problem.empty() ? report.problem
                             : !report.failure.empty() ? report.failure
                                                       : "the verifier gave no reason";
        out += Field("Verified", "no: the signature does not verify (" + ForConsole(reason) + ")  <- problem");
    }
    out += Field("Timestamp", report.timestamp.empty() ? "none: the signature holds only while the certificate is valid"
                                                       : report.timestamp);
    return out;
}
