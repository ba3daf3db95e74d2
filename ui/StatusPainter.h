#pragma once

class QPainter;

namespace vorl {

struct StatusFigures;

// Paints the status display from `figures`, the labels beside the controls and the parking panel.
void gf_paintWindow(QPainter& painter, int width, int height, const StatusFigures& figures);

} // namespace vorl
