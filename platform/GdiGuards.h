// Small owners for GDI handles: guards for those that live within one
// function, and movable owners for those an object keeps.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

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

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

// A pen, brush, font or bitmap with exactly one owner, which deletes it. An
// assignment puts the new object in place before the old one goes, so a
// swap never leaves a dangling or a leaked handle.
template <typename Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, DeleteGdiObject>;

struct DeleteCreatedDC {
    void operator()(HDC dc) const { DeleteDC(dc); }
};

// A device context made by CreateDC or CreateCompatibleDC (never one from
// GetDC), deleted by its one owner.
using CreatedDC = std::unique_ptr<std::remove_pointer_t<HDC>, DeleteCreatedDC>;

// A memory device context, deleted at the end of the scope.
class MemoryDC : public CreatedDC {
public:
    explicit MemoryDC(HDC compatibleWith) : CreatedDC(CreateCompatibleDC(compatibleWith)) {}
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

// An off-screen picture: a bitmap of its own selected into a memory device
// context. Before either is deleted the context gets its first bitmap back,
// as a selected bitmap cannot be deleted. Movable, so a new size is an
// assignment.
class OffscreenBitmap {
public:
    OffscreenBitmap() = default;
    OffscreenBitmap(HDC compatibleWith, int width, int height)
        : bitmap_(CreateCompatibleBitmap(compatibleWith, width, height)),
          dc_(CreateCompatibleDC(compatibleWith)),
          initial_(dc_ != nullptr ? SelectObject(dc_.get(), bitmap_.get()) : nullptr)
    {
    }
    ~OffscreenBitmap() { putBackInitial(); }
    OffscreenBitmap(OffscreenBitmap&& other) noexcept
        : bitmap_(std::move(other.bitmap_)),
          dc_(std::move(other.dc_)),
          initial_(std::exchange(other.initial_, nullptr))
    {
    }
    OffscreenBitmap& operator=(OffscreenBitmap&& other) noexcept
    {
        if (this != &other) {
            putBackInitial();
            dc_ = std::move(other.dc_);
            bitmap_ = std::move(other.bitmap_);
            initial_ = std::exchange(other.initial_, nullptr);
        }
        return *this;
    }
    // nullptr until a picture has been made, or when the context could not be.
    HDC dc() const { return dc_.get(); }

private:
    void putBackInitial()
    {
        if (initial_ != nullptr)
            SelectObject(dc_.get(), initial_);
        initial_ = nullptr;
    }

    // In this order, so the context is deleted before its bitmap.
    GdiObject<HBITMAP> bitmap_;
    CreatedDC dc_;
    HGDIOBJ initial_ = nullptr;
};
