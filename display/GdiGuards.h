// Small owners for GDI handles that live within one function.
#pragma once

#include <windows.h>

// The screen's device context, released at the end of the scope.
class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC()
    {
        if (dc_ != nullptr)
            ReleaseDC(nullptr, dc_);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A window's whole-window device context, released at the end of the scope.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
    ~WindowDC()
    {
        if (dc_ != nullptr)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Limits drawing on a context to rows [top, bottom) until the end of the
// scope; the context must have had no clipping before.
class ClipRows {
public:
    ClipRows(HDC dc, int width, int top, int bottom) : dc_(dc)
    {
        IntersectClipRect(dc, 0, top, width, bottom);
    }
    ~ClipRows() { SelectClipRgn(dc_, nullptr); }
    ClipRows(const ClipRows&) = delete;
    ClipRows& operator=(const ClipRows&) = delete;

private:
    HDC dc_;
};

// A memory device context, deleted at the end of the scope.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC()
    {
        if (dc_ != nullptr)
            DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A pen, brush, font or bitmap, deleted at the end of the scope.
template <typename Handle>
class GdiObject {
public:
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject()
    {
        if (handle_ != nullptr)
            DeleteObject(handle_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    Handle get() const { return handle_; }

private:
    Handle handle_;
};

// Selects an object into a context and puts the previous one back at the end
// of the scope: a selected bitmap can be neither deleted nor read with
// GetDIBits. A null object selects nothing.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object)
        : dc_(dc),
          previous_(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr)
    {
    }
    ~Selection()
    {
        if (previous_ != nullptr)
            SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    bool selected() const { return previous_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
