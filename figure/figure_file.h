#pragma once

#include <cstddef>
#include <vector>

#include "figure/figure.h"

namespace figury {

// Loads the figure file at path into figure, reading no further than its last
// record. True on success; on failure (a read error included) figure is left
// unchanged.
bool loadFigure(Figure& figure, const char* path);

// Writes figure to path without ever destroying the previous file: the text
// goes to a temporary file of its own beside it, which then replaces it in one
// step with the old file's attributes and permissions. A link at path is
// followed to the file it leads to; a read-only file is not replaced.
// True when the file was written, else false (the old file is untouched).
bool saveFigure(const Figure& figure, const char* path);

// The same load from the file's bytes held in memory: what loadFigure gives
// for a file holding them.
bool loadFigureFromBytes(Figure& figure, const char* bytes, size_t size);

// The bytes a save writes for figure, and the save of bytes made so, for a
// caller that keeps what it wrote.
std::vector<char> figureFileText(const Figure& figure);
bool saveFigureText(const std::vector<char>& text, const char* path);

}  // namespace figury
