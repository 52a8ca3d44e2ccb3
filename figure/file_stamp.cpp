#include "figure/file_stamp.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "figure/bytes_hash.h"

namespace figury {

namespace {

// Out of memory for the path, it counts as there: a file that may be there
// is never taken for one that is not.
bool somethingAt(const char* path) {
    try {
        std::error_code error;
        return std::filesystem::status(path, error).type() != std::filesystem::file_type::not_found;
    } catch (const std::exception&) {
        return true;
    }
}

// The whole file, binary; false when it cannot be read. Read in one go into
// memory of the file's size: grown chunk by chunk, a 25 MB file took twice
// its size in fresh pages and copies, 0.23 s under Wine.
bool readWholeFile(const char* path, std::vector<char>& bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    bool read = true;
    try {
        // Only a plain file's end is its size: a folder's may be anything.
        std::error_code error;
        const bool plain = std::filesystem::is_regular_file(path, error);
        const long size = plain && std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
        std::rewind(file);
        if (size > 0) {
            bytes.resize(static_cast<size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        }
        // What the size did not tell: a file that grew while it was read.
        char chunk[1 << 16];
        size_t count = 0;
        while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            bytes.insert(bytes.end(), chunk, chunk + count);
        }
        read = std::ferror(file) == 0;
    } catch (const std::exception&) {  // out of memory
        read = false;
    }
    std::fclose(file);
    return read;
}

}  // namespace

FileStamp stampOfBytes(const char* bytes, size_t size) {
    FileStamp stamp;
    stamp.present = true;
    stamp.read = true;
    stamp.size = size;
    stamp.hash = bytesHash(bytes, size);
    return stamp;
}

FileStamp readStampedFile(const char* path, std::vector<char>& bytes) {
    bytes.clear();
    if (readWholeFile(path, bytes)) {
        return stampOfBytes(bytes);
    }
    std::vector<char>().swap(bytes);
    FileStamp stamp;
    stamp.present = somethingAt(path);
    return stamp;
}

FileStamp fileStampOf(const char* path) {
    std::vector<char> bytes;
    return readStampedFile(path, bytes);
}

}  // namespace figury
