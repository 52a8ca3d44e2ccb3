#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace figury {

// What a file held when it was read: enough to tell, later, whether another
// program has written, created, replaced or removed it since. Only the bytes
// count: a file written anew with the same bytes is the same file, and one
// with other bytes is another, whatever their times say (copying tools and
// sync clients put old times back, and some drives keep times to 2 s).
struct FileStamp {
    bool present = false;  // anything at all at the path, a folder included
    bool read = false;     // its bytes were read: size and hash are theirs
    uint64_t size = 0;
    uint64_t hash = 0;  // bytesHash of the bytes

    friend bool operator==(const FileStamp& a, const FileStamp& b) {
        return a.present == b.present && a.read == b.read && a.size == b.size && a.hash == b.hash;
    }
    friend bool operator!=(const FileStamp& a, const FileStamp& b) { return !(a == b); }
};

// The stamp of a file that held these bytes.
FileStamp stampOfBytes(const char* bytes, size_t size);
inline FileStamp stampOfBytes(const std::vector<char>& bytes) {
    return stampOfBytes(bytes.data(), bytes.size());
}

// Reads the whole file at path, links followed, into bytes and stamps what it
// read. Something there that cannot be read (a folder, a file we may not
// read, a link loop) is present but not read, and leaves bytes empty.
FileStamp readStampedFile(const char* path, std::vector<char>& bytes);
FileStamp fileStampOf(const char* path);

}  // namespace figury
