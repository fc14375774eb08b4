// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The Windows side of fitting the window, all of it done before the window
// exists. The .exe declares itself aware of each monitor's scale (its
// manifest), so Windows draws it pixel for pixel rather than stretching it:
// the window is asked for at kWindowPlace times the scale of the monitor it
// opens on, which is the place and size the player saw before, and then
// fitted to that monitor's work area (the screen less the task bar).
//
// freeglut creates its top-level windows with the style below and no
// extended style, and takes the position for the frame's outer corner and
// the size for the client area's, as ScreenRect does: what fitWindow gives
// is what GLUT is asked for.
//
// The two calls that know of a monitor's scale are looked up at run time, so
// that the .exe imports nothing newer than it did: GetDpiForMonitor (from
// Windows 8.1 on, in shcore.dll) and AdjustWindowRectExForDpi (Windows 10,
// 1607). Without them the scale is taken as 100 % and the frame is the
// system's.
#include <windows.h>

#include "window_fit.h"

namespace {

constexpr DWORD kFreeglutStyle = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
constexpr UINT kUnscaledDpi = 96;

// GetDpiForMonitor's MDT_EFFECTIVE_DPI: the scale the player set.
constexpr int kEffectiveDpi = 0;

using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// A function of a DLL, as the type it is called through; null where this
// Windows has no such function.
template <typename Call>
Call systemCall(HMODULE module, const char* name) {
    if (!module) {
        return nullptr;
    }
    // A FARPROC stands for any function's type; void (*)() is the one that
    // GCC takes as such, so the cast to the real type raises no warning.
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

UINT monitorDpi(HMONITOR monitor) {
    // shcore.dll only from the system's folder, never from the game's or the
    // current one; a Windows without that search (or without the DLL) is at
    // 100 % as far as the game can tell.
    HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    auto getDpi = systemCall<GetDpiForMonitorCall>(shcore, "GetDpiForMonitor");
    UINT dpiX = 0, dpiY = 0;
    const bool known = getDpi && SUCCEEDED(getDpi(monitor, kEffectiveDpi, &dpiX, &dpiY));
    if (shcore) {
        FreeLibrary(shcore);
    }
    // Anything outside 50 % to 500 % is not a scale a display has.
    return known && dpiY >= 48 && dpiY <= 480 ? dpiY : kUnscaledDpi;
}

// The frame of freeglut's window at that scale: title bar, borders and the
// resize edges, which Windows 10 draws invisibly but counts as the window's.
FrameExtents frameAt(UINT dpi) {
    RECT rect = {0, 0, 0, 0};
    auto adjust =
        systemCall<AdjustForDpiCall>(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi");
    const BOOL adjusted = adjust ? adjust(&rect, kFreeglutStyle, FALSE, 0, dpi)
                                 : AdjustWindowRectEx(&rect, kFreeglutStyle, FALSE, 0);
    if (!adjusted) {
        return {0, 0, 0, 0};
    }
    return {static_cast<int>(-rect.left), static_cast<int>(rect.right), static_cast<int>(-rect.top),
            static_cast<int>(rect.bottom)};
}

int scaled(int length, UINT dpi) {
    return MulDiv(length, static_cast<int>(dpi), kUnscaledDpi);
}

}  // namespace

ScreenRect windowPlace() {
    HMONITOR monitor = MonitorFromPoint({kWindowPlace.x, kWindowPlace.y}, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoW(monitor, &info)) {
        return kWindowPlace;
    }
    const RECT& work = info.rcWork;
    if (work.right <= work.left || work.bottom <= work.top) {
        return kWindowPlace;
    }
    const UINT dpi = monitorDpi(monitor);
    const ScreenRect wanted = {scaled(kWindowPlace.x, dpi), scaled(kWindowPlace.y, dpi),
                               scaled(kWindowPlace.width, dpi), scaled(kWindowPlace.height, dpi)};
    const ScreenRect area = {static_cast<int>(work.left), static_cast<int>(work.top),
                             static_cast<int>(work.right - work.left),
                             static_cast<int>(work.bottom - work.top)};
    return fitWindow(wanted, area, frameAt(dpi));
}
