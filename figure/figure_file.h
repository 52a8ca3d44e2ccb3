#pragma once

#include "figure.h"

// Where the editor keeps its figure, relative to the current directory.
constexpr const char* figureFilePath = "Dane/obiekt.obj";

// Loads the figure file at path into figure. Returns 1 on success; on
// failure returns 0 and leaves figure unchanged.
int loadFigure(Figure& figure, const char* path = figureFilePath);

// Writes figure to path without ever destroying the previous file: the text
// goes to a temporary file beside it, which then replaces it in one step.
// Returns 1 when the file was written, else 0 (the old file is untouched).
int saveFigure(const Figure& figure, const char* path = figureFilePath);
