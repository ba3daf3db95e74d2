#include "ui/StatusPainter.h"

#include <QPainter>
#include <QString>

#include "app/Parameters.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "app/WindowLayout.h"
#include "common/Log.h"
#include "common/TextConversion.h"

namespace vorl {
namespace {

const QColor kLightBlue(153, 204, 255);
const QColor kRed(255, 0, 0);
const QColor kGreen(50, 205, 50);
const QColor kYellow(255, 255, 0);

// Text goes through the same strict conversion as everywhere at the window boundary.
bool lf_drawText(QPainter& painter, int x, int y, const std::string& text) {
    try {
        const std::u16string wide = utf8_to_wide(text);
        painter.drawText(x, y, QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size())));
        return true;
    } catch (const std::exception& e) {
        logLine("TextOut utf8  to wide failed for '{}': {}", text, e.what());
        return false;
    }
}

QColor lf_linkColour(LinkState state) {
    switch (state) {
    case LinkState::Ok: return kGreen;
    case LinkState::Waiting: return kYellow;
    case LinkState::Error: return kRed;
    case LinkState::Unknown: break;
    }
    return Qt::black;
}

void lf_paintLinkIcon(QPainter& painter, int x, int y, LinkState state) {
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(lf_linkColour(state));
    painter.drawEllipse(x, y, 10, 10);
    painter.setBrush(Qt::NoBrush);
}

void lf_paintLines(QPainter& painter, const std::vector<DisplayLine>& lines, int top, int lineHeight) {
    int y = top;
    for (const auto& line : lines) {
        painter.setPen(line.colour == DisplayLine::Colour::Error ? kRed : QColor(Qt::black));
        lf_drawText(painter, 8, y, line.text);
        y += lineHeight;
    }
}

} // namespace

void gf_paintWindow(QPainter& painter, int width, int height, const StatusFigures& figures) {
    painter.fillRect(0, 0, width, height, kLightBlue);
    const int lineHeight = painter.fontMetrics().height() + 2;

    const auto status = gf_statusDisplayLines(figures, gf_status().status(), gf_status().error());
    lf_paintLines(painter, status, 18, lineHeight);
    // Each reader's icon follows its word on the third line.
    if (status.size() > 2) {
        const std::string& readers = status[2].text;
        const auto trafficAt = readers.find("       Traffic");
        const QFontMetrics metrics = painter.fontMetrics();
        const int iconY = 18 + 2 * lineHeight - metrics.ascent() + 2;
        const auto advance = [&](const std::string& text) { return metrics.horizontalAdvance(QString::fromStdString(text)); };
        lf_paintLinkIcon(painter, 8 + advance(readers.substr(0, trafficAt)) + 4, iconY, figures.weather);
        lf_paintLinkIcon(painter, 8 + advance(readers) + 4, iconY, figures.traffic);
    }

    painter.setPen(QPen(Qt::white, 1));
    painter.drawLine(0, kStatusAreaHeight - 2, width, kStatusAreaHeight - 2);
    painter.drawLine(0, kParkingPanelTop - 4, width, kParkingPanelTop - 4);

    const bool guidChangesOn = gf_params().GUID_CHANGES.value();
    for (const auto& label : gf_labels()) {
        const int baseline = label.row + painter.fontMetrics().ascent();
        if (label.text == "GUID changes" && !guidChangesOn) {
            const int w = painter.fontMetrics().horizontalAdvance(QString::fromStdString(label.text));
            painter.fillRect(label.x - 2, label.row, w + 4, painter.fontMetrics().height(), kYellow);
        }
        painter.setPen(Qt::black);
        lf_drawText(painter, label.x, baseline, label.text);
    }

    lf_paintLines(painter, gf_parkingPanelLines(figures), kParkingPanelTop + 14, lineHeight);
}

} // namespace vorl
