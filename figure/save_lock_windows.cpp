// The save's lock on Windows: a mutex named after the file's full path, so
// that no file of the lock's own appears beside the figure. A copy that dies
// holding it leaves it abandoned, which the next waiter simply takes.

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "figure/bytes_hash.h"
#include "figure/save_lock.h"

namespace figury {

namespace {

// Far longer than a save of the largest figure takes.
constexpr DWORD longestWaitMs = 60000;

// The same name for every way of writing the path: file names on Windows
// are compared without case.
std::string mutexNameFor(const char* path) {
    std::string full(MAX_PATH, '\0');
    DWORD size = GetFullPathNameA(path, static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (size >= full.size()) {
        full.resize(size);
        size = GetFullPathNameA(path, static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    full.resize(size < full.size() ? size : 0);
    if (full.empty()) {
        full = path;
    }
    std::transform(full.begin(), full.end(), full.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    char name[64];
    std::snprintf(name, sizeof name, "Figury.zapis.%016llx",
                  static_cast<unsigned long long>(bytesHash(full.data(), full.size())));
    return name;
}

}  // namespace

SaveLock::SaveLock(const char* path) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexNameFor(path).c_str());
    if (mutex == nullptr) {
        return;
    }
    switch (WaitForSingleObject(mutex, longestWaitMs)) {
        case WAIT_OBJECT_0:
        case WAIT_ABANDONED:
            lock_ = reinterpret_cast<intptr_t>(mutex);
            return;
        case WAIT_TIMEOUT:
            waitedInVain_ = true;
            break;
        default:
            break;
    }
    CloseHandle(mutex);
}

SaveLock::~SaveLock() {
    if (lock_ != noLock) {
        HANDLE mutex = reinterpret_cast<HANDLE>(lock_);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
}

}  // namespace figury
