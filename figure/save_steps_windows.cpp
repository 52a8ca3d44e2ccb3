// A save's file operations on Windows.
//
// ReplaceFileA is the call that keeps the replaced file's attributes and
// security. Wine's does not: it moves the new file over the old one, which
// then has Wine's default permissions (a 0600 file comes back 0644), and a
// file's unix permissions cannot be set exactly through any Win32 call (its
// security descriptor maps to them lossily). So when the replaced file's
// attributes or security differ from the new file's after the replace, the
// old file itself, kept under the backup name, takes the new contents and
// goes back in its place: the user's file keeps all it had, and at every
// moment the path holds a complete figure.
//
// The replace always names a backup of ours. Without one, Wine's ReplaceFileA
// first makes an empty rf*.tmp of its own beside the file to move the old
// file to; when another save has just moved that file away, it fails with
// ERROR_FILE_NOT_FOUND and leaves the rf*.tmp behind (94 rounds in 100 when
// two programs replace one file at once). Given a backup name, it makes no
// other file. Another save may also replace the file between the steps here,
// so no step puts the old file back over a figure that is not this save's.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "figure/save_steps.h"

namespace figury {

namespace {

// Links are resolved by the system: the final path of the file they lead to.
std::string linkTarget(const char* path) {
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Nothing there yet is for the later steps; a link loop leads nowhere.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? path : "";
    }
    std::string name(32768, '\0');
    const DWORD size = GetFinalPathNameByHandleA(file, name.data(), static_cast<DWORD>(name.size()),
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(file);
    if (size == 0 || size >= name.size()) {
        return "";
    }
    name.resize(size);
    if (name.compare(0, 8, "\\\\?\\UNC\\") == 0) {
        return "\\\\" + name.substr(8);
    }
    return name.compare(0, 4, "\\\\?\\") == 0 ? name.substr(4) : name;
}

bool replaceableFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    return (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

std::FILE* createFile(const char* path, bool& nameTaken) {
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    std::FILE* file = descriptor >= 0 ? _fdopen(descriptor, "wb") : nullptr;
    if (!file) {
        if (descriptor >= 0) {
            _close(descriptor);
        } else {
            CloseHandle(handle);
        }
        DeleteFileA(path);
    }
    return file;
}

bool syncFile(std::FILE* file) {
    return _commit(_fileno(file)) == 0;
}

std::string securityOf(const char* path) {
    const SECURITY_INFORMATION parts =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetFileSecurityA(path, parts, nullptr, 0, &size);
    std::string descriptor(size, '\0');
    if (size == 0 || !GetFileSecurityA(path, parts, descriptor.data(), size, &size)) {
        return "?";
    }
    return descriptor;
}

// What a replace must carry over: the attributes a user sets and the security.
bool keepsTheSame(const char* path, const char* other) {
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                       FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_COMPRESSED |
                       FILE_ATTRIBUTE_ENCRYPTED;
    const DWORD attributes = GetFileAttributesA(path);
    const DWORD otherAttributes = GetFileAttributesA(other);
    return attributes != INVALID_FILE_ATTRIBUTES && otherAttributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & kept) == (otherAttributes & kept) && securityOf(path) == securityOf(other);
}

// Which file a name leads to, whatever its name; unknown (never equal to
// another) when it cannot be opened.
struct FileIdentity {
    bool known = false;
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

FileIdentity identityOf(const char* path) {
    FileIdentity identity;
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION information{};
    if (file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &information)) {
        identity = {true, information.dwVolumeSerialNumber, information.nFileIndexHigh,
                    information.nFileIndexLow};
    }
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return identity;
}

bool sameFile(const FileIdentity& one, const FileIdentity& other) {
    return one.known && other.known && one.volume == other.volume && one.indexHigh == other.indexHigh &&
           one.indexLow == other.indexLow;
}

enum class Copy { done, noRoom, failed };

// Writes the bytes of from over those of to, to's own attributes and security
// untouched. Grows to first, so that a full disk fails before anything of to
// is overwritten: noRoom then, with to as it was.
Copy copyContents(const char* from, const char* to) {
    HANDLE source = CreateFileA(from, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (source == INVALID_HANDLE_VALUE) {
        return Copy::failed;
    }
    HANDLE target = CreateFileA(to, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    LARGE_INTEGER oldSize{};
    Copy result =
        target != INVALID_HANDLE_VALUE && GetFileSizeEx(source, &size) && GetFileSizeEx(target, &oldSize)
            ? Copy::done
            : Copy::failed;
    if (result == Copy::done && size.QuadPart > oldSize.QuadPart &&
        !(SetFilePointerEx(target, size, nullptr, FILE_BEGIN) && SetEndOfFile(target))) {
        SetFilePointerEx(target, oldSize, nullptr, FILE_BEGIN);
        SetEndOfFile(target);
        result = Copy::noRoom;
    }
    bool copied = result == Copy::done && SetFilePointerEx(target, LARGE_INTEGER{}, nullptr, FILE_BEGIN);
    std::vector<char> buffer(1 << 16);
    for (LONGLONG left = size.QuadPart; copied && left > 0;) {
        DWORD got = 0;
        DWORD put = 0;
        copied = ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
                 got > 0 && WriteFile(target, buffer.data(), got, &put, nullptr) && put == got;
        left -= got;
    }
    copied = copied && SetFilePointerEx(target, size, nullptr, FILE_BEGIN) && SetEndOfFile(target) &&
             FlushFileBuffers(target);
    CloseHandle(source);
    if (target != INVALID_HANDLE_VALUE) {
        CloseHandle(target);
    }
    return result == Copy::done && !copied ? Copy::failed : result;
}

bool replaceFile(const char* temporary, const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            return false;
        }
        // Nothing to keep: the file does not exist yet.
        if (MoveFileExA(temporary, path, MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            return false;
        }
        // Another save made it meanwhile: that one is replaced like any other.
    } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    // The backup name is made ours first, so that no other file is replaced.
    const std::string backup = std::string(temporary) + ".old";
    HANDLE claim =
        CreateFileA(backup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (claim == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(claim);
    const FileIdentity ours = identityOf(temporary);
    if (!ReplaceFileA(path, temporary, backup.c_str(), 0, nullptr, nullptr)) {
        if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            MoveFileExA(backup.c_str(), path, 0);  // the old file had left its place already
        }
        DeleteFileA(backup.c_str());
        return false;
    }
    if (keepsTheSame(path, backup.c_str())) {
        DeleteFileA(backup.c_str());
        return true;
    }
    // The replace did not carry the old file's attributes or security over, or
    // another save has moved this one's file away since: whichever figure is
    // there now goes into the old file.
    const Copy copy = copyContents(path, backup.c_str());
    if (copy == Copy::done &&
        MoveFileExA(backup.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    // No room for the new figure in the old file: the old one goes back,
    // untouched, unless another save's figure has taken this one's place.
    if (copy == Copy::noRoom && sameFile(identityOf(path), ours) &&
        MoveFileExA(backup.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    // A new figure is in place, though without what the old file had set.
    DeleteFileA(backup.c_str());
    return true;
}

bool removeFile(const char* path) {
    return DeleteFileA(path) != 0;
}

}  // namespace

const SaveSteps& fileSaveSteps() {
    static const SaveSteps steps{linkTarget, replaceableFile, createFile,  writeStream, flushStream,
                                 syncFile,   closeStream,     replaceFile, removeFile};
    return steps;
}

}  // namespace figury
