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

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "figure/save_steps.h"

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

// Writes the bytes of from over those of to, to's own attributes and security
// untouched. Grows to first, so that a full disk fails before anything of
// to is overwritten; false then, with to as it was.
bool copyContents(const char* from, const char* to, bool& overwritten) {
    overwritten = false;
    HANDLE source = CreateFileA(from, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (source == INVALID_HANDLE_VALUE) {
        return false;
    }
    HANDLE target = CreateFileA(to, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    LARGE_INTEGER oldSize{};
    bool copied =
        target != INVALID_HANDLE_VALUE && GetFileSizeEx(source, &size) && GetFileSizeEx(target, &oldSize);
    if (copied && size.QuadPart > oldSize.QuadPart) {
        copied = SetFilePointerEx(target, size, nullptr, FILE_BEGIN) && SetEndOfFile(target);
        if (!copied) {
            SetFilePointerEx(target, oldSize, nullptr, FILE_BEGIN);
            SetEndOfFile(target);
        }
    }
    copied = copied && SetFilePointerEx(target, LARGE_INTEGER{}, nullptr, FILE_BEGIN);
    std::vector<char> buffer(1 << 16);
    for (LONGLONG left = size.QuadPart; copied && left > 0;) {
        DWORD got = 0;
        DWORD put = 0;
        overwritten = true;
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
    return copied;
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
    if (keepsTheSame(temporary, path)) {
        return ReplaceFileA(path, temporary, nullptr, 0, nullptr, nullptr) != 0;
    }

    // The backup name is made ours first, so that no other file is replaced.
    const std::string backup = std::string(temporary) + ".old";
    HANDLE claim =
        CreateFileA(backup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (claim == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(claim);
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
    // The replace did not carry the old file's attributes or security over.
    bool overwritten = false;
    if (copyContents(path, backup.c_str(), overwritten) &&
        MoveFileExA(backup.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    if (!overwritten &&
        MoveFileExA(backup.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;  // no room for the new figure in the old file: the old one is back, untouched
    }
    // The new figure is in place, though without what the old file had set.
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
