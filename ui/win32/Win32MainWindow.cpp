#include "ui/win32/Win32MainWindow.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include <commctrl.h>
#include <fmt/format.h>

#include "app/Commands.h"
#include "app/Parameters.h"
#include "app/StatusBoard.h"
#include "app/WindowLayout.h"
#include "common/Log.h"
#include "common/platform.h"
#include "common/Names.h"
#include "ui/win32/GdiStatusPainter.h"
#include "ui/win32/WideText.h"

namespace vorl {
namespace {

// Resources of the program (app/windows/vorl.rc): the application title and the icon.
constexpr int kTitleResource = 101;
constexpr int kIconResource = 100;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// The window takes Tab and Enter the way a dialog does (IsDialogMessage in the message loop).
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
const COLORREF kLightBlue = RGB(153, 204, 255);

// Heights of the controls as the Qt window has them; lists add their dropped-down part.
constexpr int kCheckBoxSize = 14;
constexpr int kListHeight = 22;
constexpr int kEditHeight = 18;
constexpr int kButtonHeight = 20;

std::string lf_lastErrorText() {
    const DWORD code = GetLastError();
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length && buffer) {
        try {
            text = gf_toUtf8(std::wstring_view(buffer, length));
        } catch (const std::exception&) {
        }
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return fmt::format("error {}{}{}", code, text.empty() ? "" : ": ", text);
}

// Text for a control: the core's UTF-8 through the strict conversion; what cannot be shown is
// logged and shows as empty, as in the Qt window.
std::wstring lf_controlText(const std::string& text) {
    try {
        return gf_toWide(text);
    } catch (const std::exception& e) {
        logLine("utf8_to_wide failed for '{}': {}", text, e.what());
        return {};
    }
}

std::wstring lf_windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

std::wstring lf_listItemText(HWND list, int index) {
    const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
    return text;
}

// The font the system uses for message boxes and dialogs (Segoe UI on current Windows), as the
// Qt window uses the system's font; the stock GUI font when that cannot be read.
HFONT lf_createWindowFont(bool& owned) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        if (HFONT font = CreateFontIndirectW(&metrics.lfMessageFont)) {
            owned = true;
            return font;
        }
    }
    owned = false;
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// The application title of the program's resources; the program's name where there are none
// (the window's tests).
std::wstring lf_applicationTitle(HINSTANCE instance) {
    wchar_t title[101] = {};
    if (LoadStringW(instance, kTitleResource, title, 101) > 0) return title;
    return gf_toWide(kProgramName);
}

void lf_registerWindowClass(HINSTANCE instance, WNDPROC procedure, const std::wstring& title) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(kIconResource));
    if (!icon) icon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    // Never seen: the whole client area is painted from an off-screen picture, without erasing.
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    // The title is the class name too.
    windowClass.lpszClassName = title.c_str();
    // A second window in the same process (tests) finds the class registered already.
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("RegisterClassEx failed: " + lf_lastErrorText());
}

} // namespace

Win32MainWindow::Win32MainWindow(Commands& commands) : commands_(commands) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring title = lf_applicationTitle(instance);
    lf_registerWindowClass(instance, &Win32MainWindow::windowProc, title);
    font_ = lf_createWindowFont(ownsFont_);
    backgroundBrush_ = CreateSolidBrush(kLightBlue);

    // The layout's size is the client area, as in the Qt window; the frame comes on top.
    RECT frame{0, 0, kWindowWidth, kWindowHeight};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    window_ = CreateWindowExW(kWindowExStyle, title.c_str(), title.c_str(), kWindowStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                              nullptr, instance, this);
    if (!window_) {
        const std::string reason = lf_lastErrorText();
        DeleteObject(backgroundBrush_);
        if (ownsFont_) DeleteObject(font_);
        throw std::runtime_error("CreateWindowEx failed: " + reason);
    }
    createControls();
}

Win32MainWindow::~Win32MainWindow() {
    if (window_) DestroyWindow(window_);
    if (backgroundBrush_) DeleteObject(backgroundBrush_);
    if (ownsFont_ && font_) DeleteObject(font_);
}

HWND Win32MainWindow::createControl(const wchar_t* className, const std::wstring& text, DWORD style,
                                    DWORD extendedStyle, int x, int y, int width, int height, int id) {
    HWND control =
        CreateWindowExW(extendedStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x,
                        y, width, height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        GetModuleHandleW(nullptr), nullptr);
    if (!control) {
        logImportant("CreateWindowEx failed for control ID {}: {}", id, lf_lastErrorText());
        return nullptr;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

void Win32MainWindow::createControls() {
    for (const ControlSpec& spec : gf_controls()) {
        HWND control = nullptr;
        switch (spec.kind) {
        case ControlKind::CheckBox:
            control = createControl(L"BUTTON", {}, BS_AUTOCHECKBOX, 0, spec.x, spec.row + 2, kCheckBoxSize,
                                    kCheckBoxSize, spec.id);
            break;
        case ControlKind::DropDownList:
            // A drop-down list's window height includes its dropped-down part; with the common
            // controls of version 6 the item count decides instead, as in the Qt window.
            control = createControl(L"COMBOBOX", {}, CBS_DROPDOWNLIST | WS_VSCROLL, 0, spec.x, spec.row - 5,
                                    spec.width, kListHeight + spec.listHeight, spec.id);
            if (control)
                SendMessageW(control, CB_SETMINVISIBLE,
                             static_cast<WPARAM>(std::max(3, spec.listHeight / 16)), 0);
            break;
        case ControlKind::EditBox:
            control = createControl(L"EDIT", {}, ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, spec.x, spec.row - 1,
                                    spec.width, kEditHeight, spec.id);
            if (control) {
                // Every edit is of the same class: one original procedure serves them all.
                const auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                    control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32MainWindow::editProc)));
                if (!editClassProc_) editClassProc_ = previous;
            }
            break;
        case ControlKind::PushButton:
            control = createControl(L"BUTTON", lf_controlText(spec.buttonText), BS_PUSHBUTTON, 0, spec.x,
                                    spec.row, spec.width, kButtonHeight, spec.id);
            break;
        }
        if (control) controls_[spec.id] = control;
    }
    syncAllControls();
    refreshEnabled();
}

void Win32MainWindow::show() {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

void Win32MainWindow::update() {
    InvalidateRect(window_, nullptr, FALSE);
}

void Win32MainWindow::fillList(HWND list, const Parameter& parameter) {
    const auto entries = gf_listEntries(parameter);
    std::vector<std::wstring> wide;
    wide.reserve(entries.size());
    for (const auto& entry : entries)
        wide.push_back(lf_controlText(entry));
    const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    bool same = count == static_cast<LRESULT>(wide.size());
    for (int i = 0; same && i < static_cast<int>(count); ++i)
        same = lf_listItemText(list, i) == wide[static_cast<std::size_t>(i)];
    if (!same) {
        SendMessageW(list, CB_RESETCONTENT, 0, 0);
        for (const auto& entry : wide)
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    // A value that is not an entry leaves the selection as it was.
    if (const auto index = gf_selectedListIndex(parameter))
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(*index), 0);
}

void Win32MainWindow::syncControl(const std::string& settingKey) {
    const ControlSpec* spec = gf_controlBySetting(settingKey);
    const Parameter* parameter = gf_params().find(settingKey);
    if (!spec || !parameter) return;
    HWND widget = control(spec->id);
    if (!widget) {
        logLine("GetDlgItem failed for ID {}", spec->id);
        return;
    }
    switch (spec->kind) {
    case ControlKind::CheckBox:
        SendMessageW(widget, BM_SETCHECK, parameter->valueText() == "true" ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ControlKind::DropDownList:
        fillList(widget, *parameter);
        break;
    case ControlKind::EditBox: {
        // Setting the same text again would only move the caret away from where the user types.
        const std::wstring text = lf_controlText(parameter->valueText());
        if (lf_windowText(widget) != text) SetWindowTextW(widget, text.c_str());
        break;
    }
    case ControlKind::PushButton:
        break;
    }
}

void Win32MainWindow::syncAllControls() {
    for (const ControlSpec& spec : gf_controls())
        if (!spec.settingKey.empty()) syncControl(spec.settingKey);
}

void Win32MainWindow::refreshEnabled() {
    for (const auto& [id, widget] : controls_)
        EnableWindow(widget, commands_.controlEnabled(id) ? TRUE : FALSE);
}

HWND Win32MainWindow::control(int controlId) const {
    const auto it = controls_.find(controlId);
    return it == controls_.end() ? nullptr : it->second;
}

void Win32MainWindow::afterCommand(const CommandEffect& effect) {
    if (effect.topMost) setTopMost(*effect.topMost);
    if (!effect.warning.empty()) showWarning(effect.warning);
    refreshEnabled();
    update();
}

void Win32MainWindow::setFigures(const StatusFigures& figures) {
    figures_ = figures;
    update();
}

std::vector<DisplayLine> Win32MainWindow::displayLines() const {
    return gf_displayLines(figures_, gf_status().status(), gf_status().error());
}

void Win32MainWindow::setTopMost(bool topMost) {
    // Without SWP_SHOWWINDOW a hidden window stays hidden, as in the Qt window.
    SetWindowPos(window_, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32MainWindow::showWarning(const std::string& text) {
    const std::wstring caption = gf_utf8ToWideLenient(kProgramName);
    MessageBoxW(window_, gf_utf8ToWideLenient(text).c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

void Win32MainWindow::runOnceAfter(std::chrono::milliseconds delay, std::function<void()> call) {
    const UINT_PTR timerId = nextTimerId_++;
    PendingTimer& timer = timers_[timerId];
    timer.remainingMs =
        static_cast<std::uint64_t>(std::max<std::chrono::milliseconds::rep>(delay.count(), 0));
    timer.call = std::move(call);
    armTimer(timerId, timer);
}

void Win32MainWindow::armTimer(UINT_PTR timerId, PendingTimer& timer) {
    // One Windows timer lasts at most USER_TIMER_MAXIMUM (24.8 days); longer delays take turns.
    const std::uint64_t chunk = std::min<std::uint64_t>(timer.remainingMs, USER_TIMER_MAXIMUM);
    timer.remainingMs -= chunk;
    if (!SetTimer(window_, timerId, static_cast<UINT>(std::max<std::uint64_t>(chunk, USER_TIMER_MINIMUM)),
                  nullptr))
        logImportant("SetTimer failed: {}", lf_lastErrorText());
}

void Win32MainWindow::onTimer(UINT_PTR timerId) {
    const auto it = timers_.find(timerId);
    if (it == timers_.end()) return;
    KillTimer(window_, timerId);
    if (it->second.remainingMs > 0) {
        armTimer(timerId, it->second);
        return;
    }
    const std::function<void()> call = std::move(it->second.call);
    timers_.erase(it);
    if (call) call();
}

void Win32MainWindow::onCommand(int id, int notification, HWND from) {
    // Enter on a push button reaches the window from the dialog keyboard handling as IDOK.
    if (id == IDOK && notification == BN_CLICKED) {
        const HWND focus = GetFocus();
        for (const auto& [controlId, widget] : controls_) {
            const ControlSpec* spec = gf_controlById(controlId);
            if (widget == focus && spec && spec->kind == ControlKind::PushButton) {
                afterCommand(commands_.buttonClicked(controlId));
                return;
            }
        }
        return;
    }
    const ControlSpec* spec = gf_controlById(id);
    if (!spec || !from || from != control(id)) return;
    switch (spec->kind) {
    case ControlKind::CheckBox:
        if (notification != BN_CLICKED) return;
        {
            const CommandEffect effect = commands_.checkBoxClicked(id);
            // The check mark follows the setting, which the command may have refused to change.
            syncControl(spec->settingKey);
            afterCommand(effect);
        }
        break;
    case ControlKind::DropDownList:
        if (notification != CBN_SELCHANGE) return;
        {
            const auto index = static_cast<int>(SendMessageW(from, CB_GETCURSEL, 0, 0));
            if (index == CB_ERR) return;
            const CommandEffect effect = commands_.listSelected(id, index);
            syncControl(spec->settingKey);
            afterCommand(effect);
        }
        break;
    case ControlKind::PushButton:
        if (notification != BN_CLICKED) return;
        afterCommand(commands_.buttonClicked(id));
        break;
    case ControlKind::EditBox:
        break; // applied with Enter, see onEditEntered
    }
}

void Win32MainWindow::onEditEntered(int id) {
    HWND edit = control(id);
    if (!edit) return;
    std::string text;
    try {
        text = gf_toUtf8(lf_windowText(edit));
    } catch (const std::exception& e) {
        logLine("wide_to_utf8 failed for control ID {}: {}", id, e.what());
        return;
    }
    afterCommand(commands_.editEntered(id, text));
}

LRESULT CALLBACK Win32MainWindow::editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(GetParent(edit), GWLP_USERDATA));
    if (!self || !self->editClassProc_) {
        // Past its window's life the edit is a plain edit again.
        const auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(edit, GCLP_WNDPROC));
        return classProc ? CallWindowProcW(classProc, edit, message, wParam, lParam)
                         : DefWindowProcW(edit, message, wParam, lParam);
    }
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter belongs to the edit (it applies the text), not to the dialog keyboard handling.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        const LRESULT code = CallWindowProcW(self->editClassProc_, edit, message, wParam, lParam);
        if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) && msg->wParam == VK_RETURN)
            return code | DLGC_WANTALLKEYS;
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            try {
                self->onEditEntered(GetDlgCtrlID(edit));
            } catch (const std::exception& e) {
                logImportant("The window's command failed: {}", e.what());
            }
            return 0;
        }
        break;
    case WM_CHAR:
        // The edit would beep at the Enter character it cannot take.
        if (wParam == L'\r' || wParam == L'\n') return 0;
        break;
    default:
        break;
    }
    return CallWindowProcW(self->editClassProc_, edit, message, wParam, lParam);
}

void Win32MainWindow::paint(HDC target) {
    RECT client{};
    GetClientRect(window_, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;
    // Painted off-screen first and copied in one go, so the display never flickers.
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(target, width, height) : nullptr;
    if (!bitmap) {
        if (memory) DeleteDC(memory);
        gf_paintWindowGdi(target, width, height, font_, figures_);
        return;
    }
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    gf_paintWindowGdi(memory, width, height, font_, figures_);
    BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

LRESULT CALLBACK Win32MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // C++ exceptions must not unwind through the system's message dispatch.
    try {
        return self->handleMessage(message, wParam, lParam);
    } catch (const std::exception& e) {
        logImportant("The window's message {:#x} failed: {}", message, e.what());
        return 0;
    }
}

LRESULT Win32MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kRunCallMessage: {
        const std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lParam));
        if (call && *call) (*call)();
        return 0;
    }
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_TIMER:
        onTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_CTLCOLORSTATIC: {
        // Check boxes (they ask with this message) stand on the window's light blue; disabled
        // and read-only edits keep the system's colours.
        const auto from = reinterpret_cast<HWND>(lParam);
        const ControlSpec* spec = gf_controlById(GetDlgCtrlID(from));
        if (spec && spec->kind == ControlKind::CheckBox && control(spec->id) == from) {
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, kLightBlue);
            return reinterpret_cast<LRESULT>(backgroundBrush_);
        }
        break;
    }
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(window_, &ps);
        if (dc) paint(dc);
        EndPaint(window_, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_CLOSE:
        // The window stays until closing down is finished; it asks for the quit itself.
        commands_.windowClosing();
        return 0;
    case WM_DESTROY:
        for (const auto& [timerId, timer] : timers_)
            KillTimer(window_, timerId);
        timers_.clear();
        break;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

} // namespace vorl
