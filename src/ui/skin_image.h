// The skin-image helpers of the progress window and its bar: loading a picture file into a
// bitmap, cutting a rectangle out of a bitmap, and turning a mask into a window region.
#pragma once

#include <string_view>

#include "platform/graphics.h"
#include "platform/types.h"
#include "ui/gdi_objects.h"

namespace kx::ui {

// Loads a JPEG or BMP file into bitmap, replacing what it held, and gives its size in pixels.
// A file that is missing, cannot be read or is no picture leaves bitmap as it was and gives
// false and a size of 0 x 0.
bool LoadSkinImage(std::u16string_view path, Bitmap& bitmap, SIZE* size);

// Makes target a new bitmap, compatible with dc, that holds the rectangle (left, top, right,
// bottom) of source. Nothing happens when source is empty; an empty rectangle leaves target
// empty.
void CopyBitmapRect(Bitmap& target, HDC dc, const Bitmap& source, int left, int top, int right,
                    int bottom);

// The region of all pixels of the mask that are not pure white, in its pixel coordinates; the
// caller owns it. Null when mask is null or the drawing objects cannot be made.
HRGN RegionFromMask(HBITMAP mask);

}  // namespace kx::ui
