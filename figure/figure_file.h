#pragma once

#include "figure/figure.h"

// Loads the figure file at path into figure. True on success; on failure
// figure is left unchanged.
bool loadFigure(Figure& figure, const char* path);

// Writes figure to path without ever destroying the previous file: the text
// goes to a temporary file beside it, which then replaces it in one step.
// True when the file was written, else false (the old file is untouched).
bool saveFigure(const Figure& figure, const char* path);
