#pragma once

class QPainter;

namespace vorl {

// Paints the status display, the labels beside the controls and the parking panel.
void gf_paintWindow(QPainter& painter, int width, int height);

} // namespace vorl
