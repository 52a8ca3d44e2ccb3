// A save's file operations on POSIX systems.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "figure/save_steps.h"

namespace figury {

namespace {

// Links are followed by hand, as the system does, so that a save replaces the
// file a link leads to and leaves the link itself alone.
std::string linkTarget(const char* path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {  // the system's own limit
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;  // what is there (or is not) is for the later steps
        }
        std::string link(4096, '\0');
        const ssize_t size = ::readlink(current.c_str(), link.data(), link.size());
        if (size <= 0 || static_cast<size_t>(size) >= link.size()) {
            return "";
        }
        link.resize(static_cast<size_t>(size));
        const size_t slash = current.rfind('/');
        current = link[0] == '/' || slash == std::string::npos ? link : current.substr(0, slash + 1) + link;
    }
    return "";
}

// A plain file that we may write to, or nothing yet. The rename would pass
// a read-only file by, since it writes only the folder.
bool replaceableFile(const char* path) {
    struct stat info;
    if (::stat(path, &info) != 0) {
        return errno == ENOENT;
    }
    return S_ISREG(info.st_mode) && ::access(path, W_OK) == 0;
}

std::FILE* createFile(const char* path, bool& nameTaken) {
    const int descriptor = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        nameTaken = errno == EEXIST;
        return nullptr;
    }
    std::FILE* file = ::fdopen(descriptor, "wb");
    if (!file) {
        ::close(descriptor);
        ::unlink(path);
    }
    return file;
}

bool syncFile(std::FILE* file) {
    return ::fsync(::fileno(file)) == 0;
}

// Makes the rename itself durable; the file is complete either way.
void syncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

bool replaceFile(const char* temporary, const char* path) {
    struct stat old;
    if (::stat(path, &old) == 0) {
        // The new file takes the old one's owner and group where the system
        // lets us give it away (root may), then its permissions: a change of
        // owner clears setuid and setgid, even root's.
        struct stat fresh;
        const bool sameOwner =
            ::stat(temporary, &fresh) == 0 && fresh.st_uid == old.st_uid && fresh.st_gid == old.st_gid;
        if (!sameOwner && ::chown(temporary, old.st_uid, old.st_gid) != 0 && errno != EPERM) {
            return false;
        }
        if (::chmod(temporary, old.st_mode & 07777) != 0) {
            return false;
        }
    } else if (errno != ENOENT) {
        return false;
    }
    if (::rename(temporary, path) != 0) {
        return false;
    }
    syncFolderOf(path);
    return true;
}

bool removeFile(const char* path) {
    return ::unlink(path) == 0;
}

}  // namespace

const SaveSteps& fileSaveSteps() {
    static const SaveSteps steps{linkTarget, replaceableFile, createFile,  writeStream, flushStream,
                                 syncFile,   closeStream,     replaceFile, removeFile};
    return steps;
}

}  // namespace figury
