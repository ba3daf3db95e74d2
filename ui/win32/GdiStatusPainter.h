#pragma once
#include <windows.h>

namespace vorl {

struct StatusFigures;

// Paints the status display from `figures`, the labels beside the controls and the parking
// panel into `dc` (the window's off-screen picture of width x height pixels), all in `font`.
// The same picture as the Qt window paints: colours, lines, baselines and link icons.
void gf_paintWindowGdi(HDC dc, int width, int height, HFONT font, const StatusFigures& figures);

} // namespace vorl
