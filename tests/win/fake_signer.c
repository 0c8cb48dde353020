/* Stands in for the signing tool in the Win32 tests of pack.exe: writes the
 * arguments it received, one per line, to the file named by FAKE_SIGNER_LOG;
 * "sign ... -in IN -out OUT" copies IN to OUT and succeeds, unless the
 * password file given with -readpass holds "wrong", which fails as the real
 * tool does. "--version" succeeds. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

static const char* After(int argc, char** argv, const char* option) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (strcmp(argv[i], option) == 0) return argv[i + 1];
    }
    return NULL;
}

int main(int argc, char** argv) {
    char logPath[MAX_PATH];
    if (GetEnvironmentVariableA("FAKE_SIGNER_LOG", logPath, sizeof(logPath))) {
        FILE* log = fopen(logPath, "ab");
        if (log) {
            for (int i = 1; i < argc; ++i) fprintf(log, "%s\n", argv[i]);
            fclose(log);
        }
    }
    if (argc < 2 || strcmp(argv[1], "sign") != 0) return 0;
    const char* passwordFile = After(argc, argv, "-readpass");
    if (passwordFile) {
        char password[64] = "";
        FILE* f = fopen(passwordFile, "rb");
        if (f) {
            size_t n = fread(password, 1, sizeof(password) - 1, f);
            password[n] = '\0';
            fclose(f);
        }
        if (strncmp(password, "wrong", 5) == 0) {
            fprintf(stderr, "Failed to parse PKCS#12 file: %s (Wrong password?)\n", After(argc, argv, "-pkcs12"));
            fprintf(stderr, "Failed to read key or certificates\nFailed\n");
            return 255;
        }
    }
    const char* in = After(argc, argv, "-in");
    const char* out = After(argc, argv, "-out");
    if (!in || !out || !CopyFileA(in, out, TRUE)) {
        fprintf(stderr, "Failed\n");
        return 1;
    }
    printf("Succeeded\n");
    return 0;
}
