#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "figure/figure.h"

namespace figury {

// The file operations a save goes through, in the order it uses them. Each
// reports success; a test replaces one to make it fail. Each platform has its
// own: the program's files must keep what the user set on them.
struct SaveSteps {
    // The file that a save to path replaces: path itself, or the file its
    // links lead to; "" when they lead nowhere (a loop).
    std::string (*target)(const char* path);
    // False for an existing file that is not to be replaced: a read-only file,
    // a folder, anything that could not be looked at.
    bool (*replaceable)(const char* path);
    // A new file for writing, binary; never an existing one, whose name sets
    // nameTaken instead.
    std::FILE* (*create)(const char* path, bool& nameTaken);
    bool (*write)(std::FILE* file, const char* bytes, size_t size);
    bool (*flush)(std::FILE* file);
    bool (*sync)(std::FILE* file);  // to the disk
    bool (*close)(std::FILE* file);
    // Puts the temporary in path's place in one step, with the attributes and
    // permissions of the file it replaces.
    bool (*replace)(const char* temporary, const char* path);
    bool (*remove)(const char* path);
};

// The steps on an open C stream, the same on every platform.
inline bool writeStream(std::FILE* file, const char* bytes, size_t size) {
    return std::fwrite(bytes, 1, size, file) == size;
}
inline bool flushStream(std::FILE* file) {
    return std::fflush(file) == 0;
}
inline bool closeStream(std::FILE* file) {
    return std::fclose(file) == 0;
}

// The operations on this platform's file system.
const SaveSteps& fileSaveSteps();

// saveFigure through the given operations.
bool saveFigure(const Figure& figure, const char* path, const SaveSteps& steps);
bool saveFigureText(const std::vector<char>& text, const char* path, const SaveSteps& steps);

}  // namespace figury
