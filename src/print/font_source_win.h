// The TrueType file behind a face the system has installed, read with GetFontData; for a face
// inside a collection (.ttc), the whole collection and the face's index in it.
#pragma once
#include <optional>

#include "print/pdf_canvas.h"

std::optional<FontFile> SystemFontFile(const FontRequest& request);
