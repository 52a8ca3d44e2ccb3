// The save's lock on POSIX systems: the file's folder, locked with flock, so
// that no file of the lock's own appears beside the figure.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <exception>
#include <string>
#include <thread>

#include "figure/save_lock.h"

namespace figury {

namespace {

// Far longer than a save of the largest figure takes.
constexpr auto longestWait = std::chrono::seconds(60);

int openFolderOf(const char* path) {
    try {
        const std::string file = path;
        const size_t slash = file.rfind('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : file.substr(0, slash);
        return ::open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    } catch (const std::exception&) {  // out of memory
        return -1;
    }
}

}  // namespace

SaveLock::SaveLock(const char* path) {
    // A folder that is missing fails the save on its own; one we may not
    // open is saved into without the lock.
    const int folder = openFolderOf(path);
    if (folder < 0) {
        return;
    }
    // Polled, so that a copy stopped in the middle of its save cannot hold
    // this one for ever.
    const auto giveUp = std::chrono::steady_clock::now() + longestWait;
    bool waiting = false;
    while (::flock(folder, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(folder);
            return;
        }
        if (!waiting && beginsToWait != nullptr) {
            beginsToWait();
        }
        waiting = true;
        if (std::chrono::steady_clock::now() > giveUp) {
            ::close(folder);
            waitedInVain_ = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    lock_ = folder;
}

SaveLock::~SaveLock() {
    if (lock_ != noLock) {
        ::close(static_cast<int>(lock_));  // which lets the lock go
    }
}

}  // namespace figury
