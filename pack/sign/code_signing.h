// Authenticode signing of a finished package through the osslsigncode tool,
// and what its verifier says about a signed program file. This part only
// builds the tool's arguments and reads its answers; nothing here runs it.
#pragma once

#include <string>
#include <vector>

struct SigningOptions {
    std::string certificate;   // a PKCS#12 file, or PEM certificates (the key may follow in the same file)
    std::string key;           // a PEM private key, when it is not in the certificate file
    std::string passwordFile;  // its first line opens the PKCS#12 file or the encrypted key
    std::string timestampUrl;  // an RFC 3161 timestamp server; empty: no timestamp
    bool Wanted() const { return !certificate.empty(); }
};

// What a certificate file holds, judged from its bytes: PEM is text with
// "-----BEGIN" blocks; anything else is taken for PKCS#12 (binary DER).
enum CertificateForm { kCertificatePkcs12, kCertificatePemWithKey, kCertificatePemOnly, kCertificateEmpty };
CertificateForm FormOfCertificate(const std::string& bytes);

// The signing tool to run: $PACK_OSSLSIGNCODE when it is set, else
// "osslsigncode", looked up on the PATH.
std::string SigningTool();

// Arguments of the tool that sign in (SHA-256, description shown by the
// system's prompts) into out.
std::vector<std::string> SignArguments(const SigningOptions& options, CertificateForm form,
                                       const std::string& description, const std::string& in, const std::string& out);

// Arguments of the tool that verify file offline (no revocation lists are
// fetched); trustFile, when given, holds certificates to trust besides the
// system's.
std::vector<std::string> VerifyArguments(const std::string& file, const std::string& trustFile);

// The tool's own explanation of a failure: its lines without the library's
// internal error trace, joined with "; ".
std::string SigningFailure(const std::string& toolOutput);

// What the verifier printed about the first signature.
struct SignatureReport {
    bool found = false;           // the file carries a signature the tool could read
    std::string digestAlgorithm;  // "SHA256"
    bool digestCompared = false;  // both digests were printed
    bool digestMatches = false;   // the file's bytes are those that were signed
    std::string signer;           // "CN=..., O=..., C=FR" (UTF-8)
    std::string issuer;
    std::string validFrom;
    std::string validUntil;
    std::string timestamp;        // time of a timestamp countersignature, "" when none
    bool verified = false;        // "Signature verification: ok"
    std::string problem;          // first error the verifier named (untrusted chain, ...)
    std::string failure;          // first line that says a step failed ("PKCS7_verify error", "Unable to ...")
};
SignatureReport ReadVerifyOutput(const std::string& toolOutput);

// "/CN=\xC3\x89ditions/O=Test" as the tool prints names -> "CN=Éditions, O=Test"
// (UTF-8).
std::string ReadableName(const std::string& printed);
