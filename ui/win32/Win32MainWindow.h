#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <windows.h>

#include "app/StatusFigures.h"

namespace vorl {

class Commands;
class Parameter;
struct CommandEffect;

// A call carried to the window's thread: PostMessage with a heap-allocated
// std::function<void()> as LPARAM; the window procedure runs and deletes it.
inline constexpr UINT kRunCallMessage = WM_APP + 1;

// The main window drawn with Win32 and GDI: the painted status display and every control of
// the layout, each created with its identifier as control id. Controls forward their use to
// the core's commands and follow their settings through `syncControl`. Lives on one thread,
// the one that created it; only `handle()` may be used from others.
class Win32MainWindow {
  public:
    // Creates the window hidden, with every control synced to its setting. Throws
    // std::runtime_error when Windows refuses the window.
    explicit Win32MainWindow(Commands& commands);
    ~Win32MainWindow();
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    HWND handle() const { return window_; }
    void show();
    // Asks for a repaint of the whole window.
    void update();

    // The figures painted from now on.
    void setFigures(const StatusFigures& figures);
    const StatusFigures& figures() const { return figures_; }
    // The status display as it is painted now, top to bottom, parking panel last.
    std::vector<DisplayLine> displayLines() const;
    void setTopMost(bool topMost);
    void showWarning(const std::string& text);

    void syncControl(const std::string& settingKey);
    void syncAllControls();
    // Every control takes the enabled state the core's rules give it now.
    void refreshEnabled();
    HWND control(int controlId) const;

    // Runs `call` once on the window's thread when `delay` has passed.
    void runOnceAfter(std::chrono::milliseconds delay, std::function<void()> call);

  private:
    struct PendingTimer {
        std::uint64_t remainingMs = 0;
        std::function<void()> call;
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    HWND createControl(const wchar_t* className, const std::wstring& text, DWORD style, DWORD extendedStyle,
                       int x, int y, int width, int height, int id);
    void onCommand(int id, int notification, HWND from);
    void onEditEntered(int id);
    void onTimer(UINT_PTR timerId);
    void armTimer(UINT_PTR timerId, PendingTimer& timer);
    void paint(HDC target);
    void fillList(HWND list, const Parameter& parameter);
    // After a command: what it asks of the window, then every control's enabled state.
    void afterCommand(const CommandEffect& effect);

    Commands& commands_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    bool ownsFont_ = false;
    HBRUSH backgroundBrush_ = nullptr;
    // The edit class's own procedure, which the edits' Enter handling passes everything else to.
    WNDPROC editClassProc_ = nullptr;
    std::map<int, HWND> controls_;
    std::map<UINT_PTR, PendingTimer> timers_;
    UINT_PTR nextTimerId_ = 1;
    StatusFigures figures_;
};

} // namespace vorl
