// Merging an earlier installation's log with this run's.
#include "log_merge.h"

#include <string.h>

#include <new>

#include "path_rules.h"

namespace {

bool IsDriveRoot(const char* path) {
    size_t n = strlen(path);
    return (n == 2 || (n == 3 && path[2] == '\\')) && path[1] == ':';
}

// Hash of a path with its letter case folded (FNV-1a).
uint32_t FoldedHash(const char* path) {
    uint32_t h = 2166136261u;
    for (; *path; ++path) {
        h ^= FoldPathChar(static_cast<unsigned char>(*path));
        h *= 16777619u;
    }
    return h;
}

// The paths already taken, as an open-addressing table of pointers into the
// merged list's records (which do not move while the list grows).
class CPathSet {
public:
    explicit CPathSet(size_t expected) : slots_(nullptr), mask_(0) {
        size_t size = 16;
        while (size < expected * 2 && size < (static_cast<size_t>(1) << 30)) size <<= 1;
        slots_ = new (std::nothrow) const char*[size];
        if (!slots_) return;
        memset(slots_, 0, size * sizeof(const char*));
        mask_ = size - 1;
    }
    ~CPathSet() { delete[] slots_; }
    CPathSet(const CPathSet&) = delete;
    CPathSet& operator=(const CPathSet&) = delete;

    bool Ready() const { return slots_ != nullptr; }
    bool Contains(const char* path) const { return slots_[Find(path)] != nullptr; }
    // Adds a path that is not there yet; it must outlive the set.
    void Add(const char* path) { slots_[Find(path)] = path; }

private:
    // The slot that holds path, or the empty slot where it would go. The
    // table is at least twice as large as the paths put into it, so there is
    // always an empty slot.
    size_t Find(const char* path) const {
        size_t i = FoldedHash(path) & mask_;
        while (slots_[i] && !SamePath(slots_[i], path)) i = (i + 1) & mask_;
        return i;
    }

    const char** slots_;
    size_t mask_;
};

// Appends entry to merged unless its path is taken; false when the list is
// full or out of memory (*result says which).
bool Take(const LogEntry& entry, CPathSet* taken, int32_t maxEntries, int32_t* count, CList<LogEntry>* merged,
          LogMergeResult* result) {
    if (taken->Contains(entry.path)) return true;
    if (*count >= maxEntries) {
        *result = kLogMergeTooLong;
        return false;
    }
    auto* node = merged->Append(&entry);
    if (!node) {
        *result = kLogMergeNoMemory;
        return false;
    }
    taken->Add(node->payload.path);
    ++*count;
    return true;
}

}  // namespace

int EarlierEntryAllowed(const EarlierLogPlaces& places, const LogEntry& entry) {
    if (!entry.path[0]) return 0;
    if (places.installFolder && places.installFolder[0]) {
        if (PathWithin(places.installFolder, entry.path)) return 1;
        // A parent of the install folder that the installation had to make
        // ("Editeur" of "Editeur\Jeu"); only ever removed when empty.
        if (entry.kind != kLogFile && !IsDriveRoot(entry.path) && PathWithin(entry.path, places.installFolder)) {
            return 1;
        }
    }
    for (const char* folder : places.shortcutFolders) {
        if (folder && folder[0] && !SamePath(folder, entry.path) && PathWithin(folder, entry.path)) return 1;
    }
    return 0;
}

int LogHasPath(const CList<LogEntry>& log, const char* path) {
    for (auto* node = log.First(); node; node = log.Next(node)) {
        if (SamePath(node->payload.path, path)) return 1;
    }
    return 0;
}

LogMergeResult MergeInstallLogs(const CList<LogEntry>& earlier, const EarlierLogPlaces& places,
                                const CList<LogEntry>& current, int32_t maxEntries, CList<LogEntry>* merged) {
    merged->Clear();
    CPathSet taken(static_cast<size_t>(earlier.Count()) + static_cast<size_t>(current.Count()));
    if (!taken.Ready()) return kLogMergeNoMemory;
    LogMergeResult result = kLogMerged;
    int32_t count = 0;
    bool ok = true;
    for (auto* node = earlier.First(); ok && node; node = earlier.Next(node)) {
        if (EarlierEntryAllowed(places, node->payload)) {
            ok = Take(node->payload, &taken, maxEntries, &count, merged, &result);
        }
    }
    for (auto* node = current.First(); ok && node; node = current.Next(node)) {
        ok = Take(node->payload, &taken, maxEntries, &count, merged, &result);
    }
    if (!ok) merged->Clear();
    return result;
}
