#pragma once

#include <cstddef>
#include <cstdio>

#include "figure/figure.h"

// The file operations a save goes through, in the order it uses them. Each
// reports success; a test replaces one to make it fail.
struct SaveSteps {
    std::FILE* (*open)(const char* path);  // create or truncate, binary
    bool (*write)(std::FILE* file, const char* bytes, size_t size);
    bool (*flush)(std::FILE* file);
    bool (*sync)(std::FILE* file);  // to the disk
    bool (*close)(std::FILE* file);
    bool (*replace)(const char* from, const char* to);  // in one step
    bool (*remove)(const char* path);
};

// The operations on the real file system.
const SaveSteps& fileSaveSteps();

// saveFigure through the given operations.
bool saveFigure(const Figure& figure, const char* path, const SaveSteps& steps);
