#pragma once

namespace vorl {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Keeps the window reachable: a stored coordinate at its limit is replaced, a window wider
// (taller) than the work area starts at its edge, and at least 48 pixels of it stay inside
// the work area of the nearest monitor. Returns the corrected top-left corner.
struct WindowCorner {
    int x;
    int y;
};
WindowCorner gf_checkWindowPosition(WindowCorner stored, int windowWidth, int windowHeight, const ScreenRect& workArea,
                                    int lowerLimit, int upperLimit);

} // namespace vorl
