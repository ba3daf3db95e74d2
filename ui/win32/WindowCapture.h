#pragma once
#include <optional>

#include <windows.h>

#include "ui/win32/PngFile.h"

namespace vorl {

// The client area of `window` as it is on the screen now, child controls included, after
// every pending paint is done; nothing when the window has no area or GDI fails.
std::optional<RgbImage> gf_captureClientArea(HWND window);

} // namespace vorl
