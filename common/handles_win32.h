// The project's holders for what Win32 hands out and must be given back: kernel handles, file mappings
// and their views, windows and window classes, power notifications, device contexts, GDI objects and the
// objects selected into a DC. Each one releases exactly what it holds, once, when it goes out of scope, in
// reverse order of acquisition like any C++ object; none can be copied.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <utility>

namespace orvalis {

// A value that must be released by `Traits::Release` unless it equals `Traits::kInvalid()`.
template <typename Traits>
class Unique {
public:
    using Type = typename Traits::Type;

    Unique() = default;
    explicit Unique(Type value) : value_(value) {}
    ~Unique() { reset(); }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Traits::Invalid())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = std::exchange(other.value_, Traits::Invalid());
        }
        return *this;
    }

    Type get() const { return value_; }
    bool valid() const { return value_ != Traits::Invalid(); }
    explicit operator bool() const { return valid(); }
    void reset(Type value = Traits::Invalid()) {
        if (valid()) Traits::Release(value_);
        value_ = value;
    }
    // Gives up ownership without releasing.
    Type release() { return std::exchange(value_, Traits::Invalid()); }

private:
    Type value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Release(Type handle) { CloseHandle(handle); }
};
// CreateFile's failure value is INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(Type handle) { CloseHandle(handle); }
};
struct MappedViewTraits {
    using Type = const void*;
    static Type Invalid() { return nullptr; }
    static void Release(Type view) { UnmapViewOfFile(view); }
};
struct WindowTraits {
    using Type = HWND;
    static Type Invalid() { return nullptr; }
    static void Release(Type window) { DestroyWindow(window); }
};
struct PowerNotificationTraits {
    using Type = HPOWERNOTIFY;
    static Type Invalid() { return nullptr; }
    static void Release(Type notification) { UnregisterPowerSettingNotification(notification); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Release(Type dc) { DeleteDC(dc); }
};
template <typename Object>
struct GdiObjectTraits {
    using Type = Object;
    static Type Invalid() { return nullptr; }
    static void Release(Type object) { DeleteObject(object); }
};

using KernelHandle = Unique<KernelHandleTraits>;
using FileHandle = Unique<FileHandleTraits>;
using MappedView = Unique<MappedViewTraits>;
using OwnedWindow = Unique<WindowTraits>;                   // from CreateWindowEx, ended with DestroyWindow
using PowerNotification = Unique<PowerNotificationTraits>;  // from RegisterPowerSettingNotification
using MemoryDc = Unique<MemoryDcTraits>;                    // from CreateCompatibleDC
using GdiBitmap = Unique<GdiObjectTraits<HBITMAP>>;
using GdiBrush = Unique<GdiObjectTraits<HBRUSH>>;
using GdiFont = Unique<GdiObjectTraits<HFONT>>;
using GdiRegion = Unique<GdiObjectTraits<HRGN>>;
using GdiPen = Unique<GdiObjectTraits<HPEN>>;

// A cursor made with CreateCursor (never a shared one from LoadCursor), destroyed with DestroyCursor.
struct CursorTraits {
    using Type = HCURSOR;
    static Type Invalid() { return nullptr; }
    static void Release(Type cursor) { DestroyCursor(cursor); }
};
using OwnedCursor = Unique<CursorTraits>;

// A window class registered with RegisterClassA, unregistered at the end; its windows must be gone by then.
// The class name must outlive the registration (a string constant).
class RegisteredClass {
public:
    RegisteredClass() = default;
    explicit RegisteredClass(const WNDCLASSA& windowClass)
        : name_(windowClass.lpszClassName),
          instance_(windowClass.hInstance),
          registered_(RegisterClassA(&windowClass) != 0) {}
    ~RegisteredClass() { reset(); }
    RegisteredClass(const RegisteredClass&) = delete;
    RegisteredClass& operator=(const RegisteredClass&) = delete;
    RegisteredClass(RegisteredClass&& other) noexcept
        : name_(other.name_),
          instance_(other.instance_),
          registered_(std::exchange(other.registered_, false)) {}
    RegisteredClass& operator=(RegisteredClass&& other) noexcept {
        if (this != &other) {
            reset();
            name_ = other.name_;
            instance_ = other.instance_;
            registered_ = std::exchange(other.registered_, false);
        }
        return *this;
    }
    bool valid() const { return registered_; }
    explicit operator bool() const { return registered_; }
    void reset() {
        if (registered_) UnregisterClassA(name_, instance_);
        registered_ = false;
    }

private:
    const char* name_ = nullptr;
    HINSTANCE instance_ = nullptr;
    bool registered_ = false;
};

// A window's DC from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint's DC, closed with EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a DC for a scope; the one it replaced is put back at the end, so that the object
// can then be deleted (a selected object must not be).
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    bool ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace orvalis
