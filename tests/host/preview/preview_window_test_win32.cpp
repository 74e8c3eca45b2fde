// The preview window embedded in a window of this process, where its painting can be read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/dpi_scale.h"
#include "host/host_resources.h"
#include "host/preview/preview_window_win32.h"

using orvalis::CreatePreviewWindow;
using orvalis::EmbedPreviewWindow;

namespace {

constexpr COLORREF kAreaColour = RGB(255, 0, 255);

LRESULT CALLBACK AreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// Pixels as 0x00RRGGBB, rows top first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> data;
    uint32_t At(int x, int y) const { return data[y * width + x] & 0xFFFFFF; }
};

Pixels ReadDc(HDC source, int width, int height) {
    Pixels out;
    out.width = width;
    out.height = height;
    out.data.resize(width * height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ old = SelectObject(memory, section);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    std::copy_n(static_cast<uint32_t*>(bits), width * height, out.data.begin());
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(section);
    return out;
}

// Keeps what the preview area showed as a 24-bit .bmp under the test output, for people to look at.
void SaveForPeople(const Pixels& p, const char* name) {
    const char* root = std::getenv("ORVALIS_TEST_OUTPUT");
    if (root == nullptr || p.width <= 0) return;
    std::string folder = std::string("Z:") + root + "/preview_window";
    for (char& c : folder) c = c == '/' ? '\\' : c;
    CreateDirectoryA(folder.c_str(), nullptr);
    const int row = (p.width * 3 + 3) & ~3;
    std::vector<uint8_t> file(54 + static_cast<size_t>(row) * p.height, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(p.width));
    put32(22, static_cast<uint32_t>(p.height));
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < p.height; ++y) {
        uint8_t* out = &file[54 + static_cast<size_t>(p.height - 1 - y) * row];
        for (int x = 0; x < p.width; ++x) {
            const uint32_t c = p.At(x, y);
            out[3 * x] = static_cast<uint8_t>(c);
            out[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            out[3 * x + 2] = static_cast<uint8_t>(c >> 16);
        }
    }
    if (FILE* f = std::fopen((folder + "\\" + name).c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
}

Pixels PreviewPicture() {
    auto picture = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_PREVIEW),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    EXPECT_NE(picture, nullptr);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, picture);
    Pixels pixels = ReadDc(dc, 152, 112);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DeleteObject(picture);
    return pixels;
}

void Pump() {
    MSG message;
    for (int i = 0; i < 50; ++i) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;  // the preview's own end; the test goes on
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

class PreviewWindow : public ::testing::Test {
protected:
    HWND MakeArea(int width, int height) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = AreaProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = CreateSolidBrush(kAreaColour);
        windowClass.lpszClassName = L"TestPreviewArea";
        RegisterClassExW(&windowClass);
        area_ = CreateWindowExW(0, L"TestPreviewArea", L"TestPreviewArea",
                                WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 30, width, height, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        Pump();
        return area_;
    }
    void TearDown() override {
        if (IsWindow(area_)) DestroyWindow(area_);
        Pump();
    }
    Pixels AreaPixels(int width, int height) {
        HDC dc = GetDC(area_);
        Pixels pixels = ReadDc(dc, width, height);
        ReleaseDC(area_, dc);
        return pixels;
    }
    HWND area_ = nullptr;
};

}  // namespace

TEST_F(PreviewWindow, FillsTheStandardAreaWithThePicture) {
    HWND area = MakeArea(152, 112);
    HWND preview = CreatePreviewWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(IsWindowVisible(preview));
    ASSERT_TRUE(EmbedPreviewWindow(preview, area));
    Pump();
    EXPECT_EQ(GetParent(preview), area);
    const LONG style = GetWindowLongW(preview, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_TRUE(IsWindowVisible(preview));

    const Pixels picture = PreviewPicture();
    const Pixels shown = AreaPixels(152, 112);
    SaveForPeople(shown, "preview-152x112.bmp");
    int same = 0;
    for (int y = 0; y < 112; ++y) {
        for (int x = 0; x < 152; ++x) same += shown.At(x, y) == picture.At(x, y);
    }
    EXPECT_EQ(same, 152 * 112);
}

TEST_F(PreviewWindow, ShowsBlackBeyondThePictureInALargerArea) {
    HWND area = MakeArea(300, 200);
    HWND preview = CreatePreviewWindow(GetModuleHandleW(nullptr));
    ASSERT_TRUE(EmbedPreviewWindow(preview, area));
    Pump();
    RECT client = {};
    GetClientRect(preview, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    RECT image = {};
    GetClientRect(GetDlgItem(preview, orvalis::kImgPrevId), &image);
    EXPECT_EQ(image.right, 300);
    EXPECT_EQ(image.bottom, 200);

    const Pixels picture = PreviewPicture();
    const Pixels shown = AreaPixels(300, 200);
    int same = 0;
    int black = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) {
            if (x < 152 && y < 112) {
                same += shown.At(x, y) == picture.At(x, y);
            } else {
                black += shown.At(x, y) == 0;
            }
        }
    }
    EXPECT_EQ(same, 152 * 112);
    EXPECT_EQ(black, 300 * 200 - 152 * 112);
}

TEST_F(PreviewWindow, EndsTheMessageLoopWhenTheAreaGoesAway) {
    HWND area = MakeArea(152, 112);
    HWND preview = CreatePreviewWindow(GetModuleHandleW(nullptr));
    ASSERT_TRUE(EmbedPreviewWindow(preview, area));
    DestroyWindow(area);
    EXPECT_FALSE(IsWindow(preview));
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) quit = quit || message.message == WM_QUIT;
    EXPECT_TRUE(quit);
}

TEST_F(PreviewWindow, RefusesAHandleThatIsNoWindow) {
    HWND preview = CreatePreviewWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(EmbedPreviewWindow(preview, reinterpret_cast<HWND>(static_cast<intptr_t>(12345))));
    EXPECT_FALSE(EmbedPreviewWindow(preview, nullptr));
    DestroyWindow(preview);
    Pump();
}

namespace {

// The large picture, rows top first, as the preview brings it to another DPI.
Pixels LargePreviewPicture() {
    auto picture =
        static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_PREVIEW_LARGE),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    EXPECT_NE(picture, nullptr);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, picture);
    Pixels pixels = ReadDc(dc, 304, 224);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DeleteObject(picture);
    for (uint32_t& p : pixels.data) p &= 0xFFFFFF;
    return pixels;
}

// Makes this thread's windows per-monitor aware, as the system's own dialogs are; false where the system
// has no such call.
bool BecomePerMonitorAware() {
    using SetContextFn = HANDLE(WINAPI*)(HANDLE);
    auto set = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    if (set == nullptr) return false;
    // Per-monitor aware (version 2 where the system knows it).
    return set(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4))) != nullptr ||
           set(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-3))) != nullptr;
}

}  // namespace

// A per-monitor aware area at the system's DPI (96 here; the end-to-end DPI tests run this test again at
// 144 and 192 dpi, naming the DPI in ORVALIS_EXPECT_DPI): the picture covers 152 x 112 times dpi / 96 at
// the top-left, the large picture itself at 200 % and brought smoothly to the size in between, and black
// beyond it.
TEST_F(PreviewWindow, PictureTakesTheSizeOfTheAreasDpi) {
    ASSERT_TRUE(BecomePerMonitorAware());
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (const char* expected = std::getenv("ORVALIS_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected));
    }
    const int width = MulDiv(152, dpi, 96);
    const int height = MulDiv(112, dpi, 96);
    const int areaWidth = width + 60;
    const int areaHeight = height + 40;
    HWND area = MakeArea(areaWidth, areaHeight);
    HWND preview = CreatePreviewWindow(GetModuleHandleW(nullptr), area);
    ASSERT_TRUE(EmbedPreviewWindow(preview, area));
    Pump();
    RECT client = {};
    GetClientRect(preview, &client);
    EXPECT_EQ(client.right, areaWidth);
    EXPECT_EQ(client.bottom, areaHeight);

    const Pixels shown = AreaPixels(areaWidth, areaHeight);
    SaveForPeople(shown, ("preview-at-" + std::to_string(dpi) + "-dpi.bmp").c_str());
    std::vector<uint32_t> expected;
    if (dpi == 96) {
        expected = PreviewPicture().data;
    } else {
        const Pixels large = LargePreviewPicture();
        expected = dpi == 192 ? large.data : orvalis::ResamplePixels(large.data, 304, 224, width, height);
    }
    for (uint32_t& p : expected) p &= 0xFFFFFF;
    ASSERT_EQ(expected.size(), static_cast<size_t>(width) * height);
    int same = 0;
    int black = 0;
    bool lastColumnLit = false;
    bool lastRowLit = false;
    for (int y = 0; y < areaHeight; ++y) {
        for (int x = 0; x < areaWidth; ++x) {
            if (x < width && y < height) {
                same += shown.At(x, y) == expected[static_cast<size_t>(y) * width + x];
                lastColumnLit |= x == width - 1 && shown.At(x, y) != 0;
                lastRowLit |= y == height - 1 && shown.At(x, y) != 0;
            } else {
                black += shown.At(x, y) == 0;
            }
        }
    }
    EXPECT_EQ(same, width * height) << "the picture at " << width << " x " << height;
    EXPECT_EQ(black, areaWidth * areaHeight - width * height) << "black around it";
    EXPECT_TRUE(lastColumnLit && lastRowLit) << "the picture reaches its last column and row";
    std::printf("preview at %d dpi: %d x %d\n", dpi, width, height);
}
