#include "ui/win32/WindowCapture.h"

#include <cstdint>

namespace vorl {
namespace {

// Releases the window DC, the memory DC and the DIB section however the capture ends.
struct CaptureResources {
    HWND window = nullptr;
    HDC windowDc = nullptr;
    HDC memoryDc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;

    ~CaptureResources() {
        if (memoryDc && previousBitmap) SelectObject(memoryDc, previousBitmap);
        if (bitmap) DeleteObject(bitmap);
        if (memoryDc) DeleteDC(memoryDc);
        if (windowDc) ReleaseDC(window, windowDc);
    }
};

} // namespace

std::optional<RgbImage> gf_captureClientArea(HWND window) {
    RECT client{};
    if (!window || !GetClientRect(window, &client)) return std::nullopt;
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return std::nullopt;

    // The picture shows the window's latest state, not what was painted before the last change.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    CaptureResources r;
    r.window = window;
    r.windowDc = GetDC(window);
    if (!r.windowDc) return std::nullopt;
    r.memoryDc = CreateCompatibleDC(r.windowDc);
    if (!r.memoryDc) return std::nullopt;

    // A top-down 32-bit DIB: rows in reading order, each pixel blue, green, red, unused.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    r.bitmap = CreateDIBSection(r.windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!r.bitmap || !bits) return std::nullopt;
    r.previousBitmap = SelectObject(r.memoryDc, r.bitmap);
    // The window DC of a window with WS_CLIPCHILDREN still reads the children's pixels: clipping
    // limits drawing into a DC, not copying out of it.
    if (!BitBlt(r.memoryDc, 0, 0, width, height, r.windowDc, 0, 0, SRCCOPY | CAPTUREBLT)) return std::nullopt;
    GdiFlush();

    RgbImage image;
    image.width = width;
    image.height = height;
    const auto pixelCount = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    image.pixels.resize(pixelCount * 3);
    const auto* bgrx = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < pixelCount; ++i) {
        image.pixels[i * 3] = bgrx[i * 4 + 2];
        image.pixels[i * 3 + 1] = bgrx[i * 4 + 1];
        image.pixels[i * 3 + 2] = bgrx[i * 4];
    }
    return image;
}

} // namespace vorl
