// The save's lock on POSIX systems: the file's folder, locked with flock, so
// that no file of the lock's own appears beside the figure.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "figure/save_lock.h"

namespace figury {

namespace {

// Far longer than a save of the largest figure takes.
constexpr auto longestWait = std::chrono::seconds(60);

std::string folderOf(const char* path) {
    const std::string file = path;
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

}  // namespace

SaveLock::SaveLock(const char* path) {
    const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (folder < 0) {
        return;  // no folder: the save fails on its own
    }
    // Polled, so that a copy stopped in the middle of its save cannot hold
    // this one for ever.
    const auto giveUp = std::chrono::steady_clock::now() + longestWait;
    while (::flock(folder, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(folder);
            return;
        }
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
