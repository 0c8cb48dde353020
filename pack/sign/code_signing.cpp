// Arguments for osslsigncode and the reading of its verifier's report.
#include "code_signing.h"

#include <stdlib.h>

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The value after "key" (and its colon) on a trimmed line, or false.
bool ValueAfter(const std::string& line, const std::string& key, std::string* value) {
    if (!StartsWith(line, key)) return false;
    size_t colon = line.find(':', key.size());
    if (colon == std::string::npos || Trimmed(line.substr(key.size(), colon - key.size())) != "") return false;
    *value = Trimmed(line.substr(colon + 1));
    return true;
}

// An internal trace line of the crypto library: "40F0F6A91F7F0000:error:...".
bool IsLibraryTrace(const std::string& line) {
    size_t colon = line.find(":error:");
    if (colon == std::string::npos || colon < 8) return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = line[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

CertificateForm FormOfCertificate(const std::string& bytes) {
    if (bytes.empty()) return kCertificateEmpty;
    if (bytes.find("-----BEGIN") == std::string::npos) return kCertificatePkcs12;
    return bytes.find("PRIVATE KEY-----") != std::string::npos ? kCertificatePemWithKey : kCertificatePemOnly;
}

std::string SigningTool() {
    const char* chosen = getenv("PACK_OSSLSIGNCODE");
    return chosen && *chosen ? chosen : "osslsigncode";
}

std::vector<std::string> SignArguments(const SigningOptions& options, CertificateForm form,
                                       const std::string& description, const std::string& in, const std::string& out) {
    std::vector<std::string> args = {"sign"};
    if (form == kCertificatePkcs12) {
        args.insert(args.end(), {"-pkcs12", options.certificate});
    } else {
        args.insert(args.end(), {"-certs", options.certificate, "-key",
                                 options.key.empty() ? options.certificate : options.key});
    }
    // The password is read from its file by the tool: it never appears on a
    // command line that other users of the machine can see.
    if (!options.passwordFile.empty()) args.insert(args.end(), {"-readpass", options.passwordFile});
    args.insert(args.end(), {"-h", "sha256", "-n", description});
    if (!options.timestampUrl.empty()) args.insert(args.end(), {"-ts", options.timestampUrl});
    args.insert(args.end(), {"-in", in, "-out", out});
    return args;
}

std::vector<std::string> VerifyArguments(const std::string& file, const std::string& trustFile) {
    std::vector<std::string> args = {"verify", "-ignore-cdp"};
    if (!trustFile.empty()) args.insert(args.end(), {"-CAfile", trustFile});
    args.insert(args.end(), {"-in", file});
    return args;
}

std::string SigningFailure(const std::string& toolOutput) {
    std::string reason;
    for (const std::string& raw : Lines(toolOutput)) {
        std::string line = Trimmed(raw);
        if (line.empty() || IsLibraryTrace(line) || line == "Failed") continue;
        if (!reason.empty()) reason += "; ";
        reason += line;
    }
    return reason.empty() ? "the signing tool gave no reason" : reason;
}

SignatureReport ReadVerifyOutput(const std::string& toolOutput) {
    SignatureReport report;
    std::string current;
    std::string calculated;
    bool inSignerBlock = false;
    for (const std::string& raw : Lines(toolOutput)) {
        std::string line = Trimmed(raw);
        std::string value;
        if (line == "Signer's certificate:") {
            inSignerBlock = true;
        } else if (ValueAfter(line, "Message digest algorithm", &value)) {
            if (report.digestAlgorithm.empty()) report.digestAlgorithm = value;
            report.found = true;
        } else if (ValueAfter(line, "Current message digest", &value)) {
            current = value;
        } else if (ValueAfter(line, "Calculated message digest", &value)) {
            calculated = value.substr(0, value.find_first_of(" \t"));
        } else if (inSignerBlock && report.signer.empty() && ValueAfter(line, "Subject", &value)) {
            report.signer = ReadableName(value);
        } else if (inSignerBlock && report.issuer.empty() && ValueAfter(line, "Issuer", &value)) {
            report.issuer = ReadableName(value);
        } else if (inSignerBlock && report.validFrom.empty() && ValueAfter(line, "notBefore", &value)) {
            report.validFrom = value;
        } else if (inSignerBlock && report.validUntil.empty() && ValueAfter(line, "notAfter", &value)) {
            report.validUntil = value;
            inSignerBlock = false;
        } else if (report.timestamp.empty() && ValueAfter(line, "Timestamp time", &value)) {
            report.timestamp = value;
        } else if (ValueAfter(line, "Signature verification", &value)) {
            report.verified = value == "ok";
        } else if (report.problem.empty() && ValueAfter(line, "Error", &value)) {
            report.problem = value;
        } else if (report.problem.empty() && ValueAfter(line, "Timestamp Server Signature verification", &value) &&
                   value != "ok") {
            report.problem = "the timestamp does not verify";
        } else if (report.failure.empty() && !IsLibraryTrace(line) &&
                   (StartsWith(line, "Unable to") ||
                    (line.size() > 6 && line.compare(line.size() - 6, 6, " error") == 0))) {
            report.failure = line;
        }
    }
    report.digestCompared = !current.empty() && !calculated.empty();
    report.digestMatches = report.digestCompared && current == calculated;
    if (report.digestCompared) report.found = true;
    return report;
}

std::string ReadableName(const std::string& printed) {
    std::string bytes;
    for (size_t i = 0; i < printed.size(); ++i) {
        if (printed[i] == '\\' && i + 3 < printed.size() && printed[i + 1] == 'x' && HexDigit(printed[i + 2]) >= 0 &&
            HexDigit(printed[i + 3]) >= 0) {
            bytes += static_cast<char>(HexDigit(printed[i + 2]) * 16 + HexDigit(printed[i + 3]));
            i += 3;
        } else {
            bytes += printed[i];
        }
    }
    // "/CN=a/O=b": a part starts at a slash followed by KEY=.
    std::string readable;
    size_t start = bytes.empty() || bytes[0] != '/' ? 0 : 1;
    for (size_t i = start; i <= bytes.size(); ++i) {
        bool partEnds = i == bytes.size();
        if (!partEnds && bytes[i] == '/') {
            size_t equals = bytes.find('=', i + 1);
            size_t nextSlash = bytes.find('/', i + 1);
            partEnds = equals != std::string::npos && equals > i + 1 && (nextSlash == std::string::npos || equals < nextSlash);
        }
        if (partEnds) {
            if (!readable.empty()) readable += ", ";
            readable += bytes.substr(start, i - start);
            start = i + 1;
        }
    }
    return readable;
}
