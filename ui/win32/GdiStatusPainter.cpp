#include "ui/win32/GdiStatusPainter.h"

#include <exception>
#include <string>
#include <vector>

#include "app/Parameters.h"
#include "app/StatusBoard.h"
#include "app/StatusFigures.h"
#include "app/WindowLayout.h"
#include "common/Log.h"
#include "ui/win32/WideText.h"

namespace vorl {
namespace {

const COLORREF kLightBlue = RGB(153, 204, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(50, 205, 50);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

constexpr int kTextLeft = 8;
constexpr int kFirstBaseline = 18;
constexpr int kIconSize = 10;

// A GDI object selected into the DC for one scope, then deselected and deleted.
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), previous_(SelectObject(dc, object)) {}
    ~Selected() {
        SelectObject(dc_, previous_);
        DeleteObject(object_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

  private:
    HDC dc_;
    HGDIOBJ object_;
    HGDIOBJ previous_;
};

void lf_fill(HDC dc, int left, int top, int width, int height, COLORREF colour) {
    const RECT rect{left, top, left + width, top + height};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// Text goes through the same strict conversion as everywhere at the window boundary.
bool lf_drawText(HDC dc, int x, int y, const std::string& text) {
    try {
        const std::wstring wide = gf_toWide(text);
        TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
        return true;
    } catch (const std::exception& e) {
        logLine("TextOut utf8  to wide failed for '{}': {}", text, e.what());
        return false;
    }
}

int lf_textWidth(HDC dc, const std::string& text) {
    try {
        const std::wstring wide = gf_toWide(text);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return size.cx;
    } catch (const std::exception&) {
        return 0;
    }
}

COLORREF lf_linkColour(LinkState state) {
    switch (state) {
    case LinkState::Ok:
        return kGreen;
    case LinkState::Waiting:
        return kYellow;
    case LinkState::Error:
        return kRed;
    case LinkState::Unknown:
        break;
    }
    return kBlack;
}

// A filled circle with a black rim; GDI leaves out the right and bottom edge of the box, so it
// is one pixel larger than the circle's size to cover the same pixels as the Qt window.
void lf_paintLinkIcon(HDC dc, int x, int y, LinkState state) {
    const Selected pen(dc, CreatePen(PS_SOLID, 1, kBlack));
    const Selected brush(dc, CreateSolidBrush(lf_linkColour(state)));
    Ellipse(dc, x, y, x + kIconSize + 1, y + kIconSize + 1);
}

void lf_paintLines(HDC dc, const std::vector<DisplayLine>& lines, int firstBaseline, int lineHeight) {
    int y = firstBaseline;
    for (const auto& line : lines) {
        SetTextColor(dc, line.colour == DisplayLine::Colour::Error ? kRed : kBlack);
        lf_drawText(dc, kTextLeft, y, line.text);
        y += lineHeight;
    }
}

void lf_paintRule(HDC dc, int y, int width) {
    const Selected pen(dc, CreatePen(PS_SOLID, 1, kWhite));
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, width, y);
}

} // namespace

void gf_paintWindowGdi(HDC dc, int width, int height, HFONT font, const StatusFigures& figures) {
    const HGDIOBJ previousFont = SelectObject(dc, font);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const UINT previousAlign = GetTextAlign(dc);

    lf_fill(dc, 0, 0, width, height, kLightBlue);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int lineHeight = metrics.tmHeight + 2;

    // The status display and the parking panel are placed by their baselines, the labels by
    // their top rows.
    SetTextAlign(dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    const auto status = gf_statusDisplayLines(figures, gf_status().status(), gf_status().error());
    lf_paintLines(dc, status, kFirstBaseline, lineHeight);
    // Each reader's icon follows its word on the third line.
    if (status.size() > 2) {
        const std::string& readers = status[2].text;
        const auto trafficAt = readers.find("       Traffic");
        const int iconY = kFirstBaseline + 2 * lineHeight - metrics.tmAscent + 2;
        lf_paintLinkIcon(dc, kTextLeft + lf_textWidth(dc, readers.substr(0, trafficAt)) + 4, iconY,
                         figures.weather);
        lf_paintLinkIcon(dc, kTextLeft + lf_textWidth(dc, readers) + 4, iconY, figures.traffic);
    }

    lf_paintRule(dc, kStatusAreaHeight - 2, width);
    lf_paintRule(dc, kParkingPanelTop - 4, width);

    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetTextColor(dc, kBlack);
    const bool guidChangesOn = gf_params().GUID_CHANGES.value();
    for (const auto& label : gf_labels()) {
        // The setting is marked while it is off, so that the user notices it.
        if (label.text == "GUID changes" && !guidChangesOn)
            lf_fill(dc, label.x - 2, label.row, lf_textWidth(dc, label.text) + 4, metrics.tmHeight, kYellow);
        lf_drawText(dc, label.x, label.row, label.text);
    }

    SetTextAlign(dc, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    lf_paintLines(dc, gf_parkingPanelLines(figures), kParkingPanelTop + 14, lineHeight);

    SetTextAlign(dc, previousAlign);
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
}

} // namespace vorl
