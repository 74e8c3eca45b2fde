// The button window under Wine: faces painted into the retained surface, messages reaching the behaviour,
// the hover timer with the real pointer, and the caption drawn over the face.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "host/controls/command_win32.h"

namespace orvalis {
namespace {

constexpr COLORREF kParentBackground = RGB(255, 0, 255);

struct ParentState {
    int clicks = 0;
    int lastId = 0;
    bool paintBackground = false;
};
ParentState parent;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                ++parent.clicks;
                parent.lastId = LOWORD(wParam);
            }
            return 0;
        case WM_ERASEBKGND:
        case WM_PRINTCLIENT: {
            RECT r;
            GetClientRect(hwnd, &r);
            HBRUSH brush = CreateSolidBrush(kParentBackground);
            FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
            DeleteObject(brush);
            return 1;
        }
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

// Pumps messages until the condition holds or the time runs out; the time it took, or -1.
template <typename Condition>
int PumpUntil(Condition done, DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return static_cast<int>(GetTickCount() - start);
        Sleep(2);
    }
    return -1;
}

uint32_t Rgb(COLORREF c) {
    return uint32_t{GetRValue(c)} << 16 | uint32_t{GetGValue(c)} << 8 | GetBValue(c);
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
            tolerance)
            return false;
    }
    return true;
}

struct Surface {
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    uint32_t At(int x, int y) const { return pixels[y * width + x]; }
};

class CommandWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = {};
        HINSTANCE instance = GetModuleHandleW(nullptr);
        ASSERT_TRUE(RegisterCommandClass(instance));
        WNDCLASSW wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"OrvalisCommandTestParent";
        RegisterClassW(&wc);
        top = CreateWindowExW(0, wc.lpszClassName, L"command test", WS_POPUP | WS_VISIBLE, 200, 200, 300, 120,
                              nullptr, nullptr, instance, nullptr);
        ASSERT_NE(top, nullptr);
        wide = CreateCommand(top, 7, 10, 10, 77, 25, instance);
        narrow = CreateCommand(top, 8, 10, 60, 41, 21, instance);
        ASSERT_NE(wide, nullptr);
        ASSERT_NE(narrow, nullptr);
        // As the dialog restores its buttons: caption and font from the saved layout, then Initialize.
        for (auto [hwnd, caption] : {std::pair{wide, "設定"}, {narrow, "..."}}) {
            PropertyBag bag;
            bag.Write("Caption", std::string(caption));
            bag.Write("Font", DefaultCaptionFont());
            Command* c = CommandFromWindow(hwnd);
            ASSERT_NE(c, nullptr);
            c->LoadProperties(bag);
            c->Initialize();
        }
        SetForegroundWindow(top);
        Pump(50);
    }

    void TearDown() override {
        if (top) DestroyWindow(top);
        Pump(20);
    }

    Surface Read(HWND hwnd) {
        Surface s;
        EXPECT_TRUE(ReadCommandSurface(hwnd, s.pixels, s.width, s.height));
        return s;
    }

    // The control as it shows on screen (face, or parent, plus caption), through WM_PRINTCLIENT.
    Surface Print(HWND hwnd) {
        RECT r;
        GetClientRect(hwnd, &r);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        GdiFlush();
        Surface s;
        s.width = r.right;
        s.height = r.bottom;
        const auto* p = static_cast<const uint32_t*>(bits);
        s.pixels.assign(p, p + s.width * s.height);
        for (uint32_t& v : s.pixels) v &= 0xFFFFFF;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return s;
    }

    HWND top = nullptr;
    HWND wide = nullptr;
    HWND narrow = nullptr;
};

TEST_F(CommandWindowTest, ClassRegisteredUnderItsName) {
    wchar_t name[64] = {};
    GetClassNameW(wide, name, 64);
    EXPECT_STREQ(name, L"Veyra.Command");
    EXPECT_EQ(CommandFromWindow(top), nullptr);
    EXPECT_EQ(CommandFromWindow(wide)->State(), ButtonState::Normal);
    EXPECT_EQ(CommandFromWindow(wide)->Caption(), "設定");
}

// Every face, on both sizes: corners copied unscaled, the frame line along every edge, and the middle
// left to the gradient.
TEST_F(CommandWindowTest, EachFacePaintsFrameOverGradient) {
    for (HWND hwnd : {wide, narrow}) {
        Command& c = *CommandFromWindow(hwnd);
        for (int f = 0; f < kFaceImageCount; ++f) {
            const FaceImage face = static_cast<FaceImage>(f);
            SCOPED_TRACE(FaceImageName(face));
            c.PaintFace(face);
            const Surface s = Read(hwnd);
            const FacePicture picture = BuildFacePicture(face);
            const int w = s.width, h = s.height;
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 4; ++x) {
                    EXPECT_EQ(s.At(x, y), picture.At(x, y)) << x << "," << y;
                    EXPECT_EQ(s.At(w - 4 + x, h - 4 + y), picture.At(60 + x, 21 + y)) << x << "," << y;
                }
            }
            const int ring = face == FaceImage::Pressed ? 2 : 1;
            const uint32_t frame = picture.At(30, ring);
            for (int x = 4; x < w - 4; ++x) {
                ASSERT_EQ(s.At(x, ring), frame) << "top " << x;
                ASSERT_EQ(s.At(x, h - 1 - ring), frame) << "bottom " << x;
            }
            for (int y = 4; y < h - 4; ++y) {
                ASSERT_EQ(s.At(ring, y), frame) << "left " << y;
                ASSERT_EQ(s.At(w - 1 - ring, y), frame) << "right " << y;
            }
            const GradientEnds ends = FaceGradientEnds(c.ReverseGradient());
            for (int y = 4; y < h - 4; ++y) {
                const uint32_t expected = GradientRowColour(ends, y, h - 1);
                for (int x = 4; x < w - 4; ++x) ASSERT_TRUE(Near(s.At(x, y), expected, 2)) << x << "," << y;
            }
        }
    }
}

TEST_F(CommandWindowTest, GradientOrientationFollowsHover) {
    Command& c = *CommandFromWindow(wide);
    c.FillFaceGradient();
    Surface s = Read(wide);
    EXPECT_EQ(s.At(40, 0), 0xFFFFFFu);
    EXPECT_TRUE(Near(s.At(40, s.height - 2), GradientRowColour(FaceGradientEnds(false), 23, 24), 2));
    EXPECT_TRUE(Near(s.At(40, 12), 0xE2E2EB, 2));

    SendMessageW(wide, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(c.State(), ButtonState::HighLight);
    s = Read(wide);
    EXPECT_EQ(s.At(40, 2), 0xFFF0CFu);  // the highlight band
    EXPECT_TRUE(Near(s.At(40, 4), GradientRowColour(FaceGradientEnds(true), 4, 24), 2));
    EXPECT_TRUE(Near(s.At(40, 20), GradientRowColour(FaceGradientEnds(true), 20, 24), 2));
    c.FillFaceGradient();
    s = Read(wide);
    EXPECT_EQ(s.At(40, 0), 0xC6C5D7u);
    EXPECT_TRUE(Near(s.At(40, s.height - 2), GradientRowColour(FaceGradientEnds(true), 23, 24), 2));
}

TEST_F(CommandWindowTest, MouseAndFocusMessagesDriveTheButton) {
    Command& c = *CommandFromWindow(wide);
    SendMessageW(wide, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(wide, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(GetFocus(), wide);
    EXPECT_EQ(GetCapture(), wide);
    EXPECT_EQ(c.State(), ButtonState::HighLightSelect);
    EXPECT_TRUE(c.LeftButtonDown());
    EXPECT_EQ(Read(wide).At(40, 2), 0x003C74u);  // pressed: the frame one pixel further in

    SendMessageW(wide, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(parent.clicks, 1);
    EXPECT_EQ(parent.lastId, 7);

    // No keyboard activation.
    for (WPARAM key : {WPARAM{VK_SPACE}, WPARAM{VK_RETURN}}) {
        SendMessageW(wide, WM_KEYDOWN, key, 0);
        SendMessageW(wide, WM_CHAR, key == VK_SPACE ? L' ' : L'\r', 0);
        SendMessageW(wide, WM_KEYUP, key, 0);
    }
    EXPECT_EQ(parent.clicks, 1);

    // A right click neither focuses nor presses but still clicks.
    Command& n = *CommandFromWindow(narrow);
    SendMessageW(narrow, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(narrow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(GetFocus(), wide);
    SendMessageW(narrow, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(parent.clicks, 2);
    EXPECT_EQ(parent.lastId, 8);

    SetFocus(narrow);
    EXPECT_EQ(c.State(), ButtonState::Normal);
    EXPECT_EQ(n.State(), ButtonState::HighLightSelect);
}

TEST_F(CommandWindowTest, HoverTimerNoticesThePointerLeaving) {
    Command& c = *CommandFromWindow(wide);
    POINT centre{38, 12};
    ClientToScreen(wide, &centre);
    SetCursorPos(centre.x, centre.y);
    ASSERT_GE(PumpUntil([&] { return c.State() == ButtonState::HighLight; }, 2000), 0);
    Pump(250);  // ticks with the pointer over the control change nothing
    EXPECT_EQ(c.State(), ButtonState::HighLight);

    POINT outside{150, 40};
    ClientToScreen(top, &outside);
    SetCursorPos(outside.x, outside.y);
    const int ms = PumpUntil([&] { return c.State() == ButtonState::Normal; }, 2000);
    EXPECT_GE(ms, 0);
    EXPECT_LE(ms, 250);
    EXPECT_EQ(Read(wide).At(40, 2), 0xF3F3EEu);
}

TEST_F(CommandWindowTest, CaptionDrawnOverFaceAndGreyWhenDisabled) {
    auto count = [](const Surface& s, auto predicate) {
        return std::count_if(s.pixels.begin(), s.pixels.end(), predicate);
    };
    auto dark = [](uint32_t p) {
        return ((p >> 16) & 0xFF) < 0x50 && ((p >> 8) & 0xFF) < 0x50 && (p & 0xFF) < 0x50;
    };
    Surface s = Print(wide);
    const Surface face = Read(wide);
    // Text pixels lie in the caption band only; the frame's blue is not dark in every channel.
    EXPECT_GT(count(s, dark), 10);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (y < 4 || y >= 22) {
                ASSERT_EQ(s.At(x, y), face.At(x, y)) << x << "," << y;
            }

    CommandFromWindow(wide)->Enabled(false);
    s = Print(wide);
    EXPECT_EQ(count(s, dark), 0);
    EXPECT_GT(count(s, [](uint32_t p) { return p == Rgb(GetSysColor(COLOR_GRAYTEXT)); }), 10);
    EXPECT_EQ(Read(wide).At(40, 1), 0xC9C7BAu);

    CommandFromWindow(wide)->FontColour(RGB(255, 0, 0));  // disabled: the colour waits for re-enabling
    CommandFromWindow(wide)->Enabled(true);
    s = Print(wide);
    EXPECT_GT(count(s, [](uint32_t p) { return Near(p, 0xFF0000, 0x30); }), 10);
}

TEST_F(CommandWindowTest, TransparentFaceShowsTheParent) {
    Command& c = *CommandFromWindow(narrow);
    c.Visible(0);
    Surface s = Print(narrow);
    EXPECT_EQ(s.At(1, 1), Rgb(kParentBackground));
    EXPECT_EQ(s.At(38, 18), Rgb(kParentBackground));
    c.Visible(1);
    s = Print(narrow);
    EXPECT_EQ(s.At(1, 1), 0xE6E1D0u);
    EXPECT_EQ(s.At(20, 1), 0x003C74u);
}

TEST_F(CommandWindowTest, ResizeRepaintsWithoutTouchingState) {
    Command& c = *CommandFromWindow(wide);
    SetFocus(wide);
    ASSERT_EQ(c.State(), ButtonState::Selected);
    SetWindowPos(wide, nullptr, 0, 0, 120, 40, SWP_NOMOVE | SWP_NOZORDER);
    const Surface s = Read(wide);
    EXPECT_EQ(s.width, 120);
    EXPECT_EQ(s.height, 40);
    EXPECT_EQ(s.At(60, 2), 0xF3F3EEu);  // Normal
    EXPECT_EQ(s.At(118, 20), 0x003C74u);
    EXPECT_EQ(c.State(), ButtonState::Selected);
    EXPECT_EQ(c.Label().topTwips, (600 - 195 - 20) / 2.0);
}

}  // namespace
}  // namespace orvalis
