// Pictures for windows: image file bytes decoded by the Windows imaging component into a
// bitmap that GDI can draw, and the bytes of the program's own resources.
#pragma once

#include <windows.h>

#include <span>

#include "win32/unique_resource.h"

namespace pagorin::win32 {

// A 32-bit top-down DIB section with premultiplied alpha.
struct Picture {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
};

// Decodes image file bytes (PNG and the other formats the imaging component knows),
// scaled to the largest size within maxWidth x maxHeight that keeps the proportions.
// Empty when the bytes do not decode. COM is initialised on the calling thread for the
// time it takes, unless it already is.
Picture DecodePicture(std::span<const BYTE> bytes, int maxWidth, int maxHeight);

// The bytes of one of the program's RCDATA resources; empty when there is none.
std::span<const BYTE> ResourceBytes(int id);

}  // namespace pagorin::win32
