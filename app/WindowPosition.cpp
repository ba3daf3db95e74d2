#include "app/WindowPosition.h"

#include <algorithm>

namespace vorl {
namespace {

constexpr int kVisiblePixels = 48;

int lf_checkAxis(int value, int size, int areaStart, int areaSize, int lower, int upper) {
    // A coordinate at its limit comes from a window that was lost off-screen once.
    if (value <= lower || value >= upper) value = areaStart;
    if (size > areaSize) return areaStart;
    const int areaEnd = areaStart + areaSize;
    if (value + size < areaStart + kVisiblePixels) value = areaStart + kVisiblePixels - size;
    return std::min(value, areaEnd - kVisiblePixels);
}

} // namespace

WindowCorner gf_checkWindowPosition(WindowCorner stored, int windowWidth, int windowHeight, const ScreenRect& workArea,
                                    int lowerLimit, int upperLimit) {
    return {lf_checkAxis(stored.x, windowWidth, workArea.left, workArea.width, lowerLimit, upperLimit),
            lf_checkAxis(stored.y, windowHeight, workArea.top, workArea.height, lowerLimit, upperLimit)};
}

} // namespace vorl
