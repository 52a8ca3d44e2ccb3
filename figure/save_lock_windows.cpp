// The save's lock on Windows: a mutex named after the file's folder, as the
// file system knows it (its volume's serial number and its file index, the
// same however the path is written: short names, other drive letters, links),
// and the file's name, so that no file of the lock's own appears beside the
// figure. A copy that dies holding it leaves it abandoned, which the next
// waiter simply takes.

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "figure/bytes_hash.h"
#include "figure/save_lock.h"

namespace figury {

namespace {

// Far longer than a save of the largest figure takes.
constexpr DWORD longestWaitMs = 60000;

// Empty when the folder cannot be opened: a missing one fails the save on
// its own, one we may not open is saved into without the lock.
std::string mutexNameFor(const char* path) {
    const std::string file = path;
    const size_t slash = file.find_last_of("/\\");
    // "C:\" is the root, where "C:" would be the drive's current folder.
    const bool root = slash == 0 || (slash != std::string::npos && file[slash - 1] == ':');
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, root ? slash + 1 : slash);
    std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    HANDLE handle = CreateFileA(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return "";
    }
    BY_HANDLE_FILE_INFORMATION identity{};
    const bool known = GetFileInformationByHandle(handle, &identity) != 0;
    CloseHandle(handle);
    if (!known) {
        return "";
    }
    // File names are compared without case.
    CharLowerBuffA(name.data(), static_cast<DWORD>(name.size()));
    char text[96];
    std::snprintf(text, sizeof text, "Figury.zapis.%08lx.%08lx%08lx.%016llx",
                  static_cast<unsigned long>(identity.dwVolumeSerialNumber),
                  static_cast<unsigned long>(identity.nFileIndexHigh),
                  static_cast<unsigned long>(identity.nFileIndexLow),
                  static_cast<unsigned long long>(bytesHash(name.data(), name.size())));
    return text;
}

}  // namespace

SaveLock::SaveLock(const char* path) {
    std::string name;
    try {
        name = mutexNameFor(path);
    } catch (const std::exception&) {  // out of memory
        return;
    }
    HANDLE mutex = name.empty() ? nullptr : CreateMutexA(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) {
        return;
    }
    DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited == WAIT_TIMEOUT) {
        if (beginsToWait != nullptr) {
            beginsToWait();
        }
        waited = WaitForSingleObject(mutex, longestWaitMs);
    }
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        lock_ = reinterpret_cast<intptr_t>(mutex);
        return;
    }
    waitedInVain_ = waited == WAIT_TIMEOUT;
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
