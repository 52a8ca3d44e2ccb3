#pragma once

#include "figure.h"

// Where the editor keeps its figure, relative to the current directory.
constexpr const char* figureFilePath = "Dane/obiekt.obj";

// Loads the figure file at path into figure, reading no further than its last
// record. Returns 1 on success; on failure (a read error included) returns 0
// and leaves figure unchanged.
int loadFigure(Figure& figure, const char* path = figureFilePath);

// Writes figure to path without ever destroying the previous file: the text
// goes to a temporary file of its own beside it, which then replaces it in one
// step with the old file's attributes and permissions. A link at path is
// followed to the file it leads to; a read-only file is not replaced.
// Returns 1 when the file was written, else 0 (the old file is untouched).
int saveFigure(const Figure& figure, const char* path = figureFilePath);
