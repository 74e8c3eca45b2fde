#include "host/settings_dialog/settings_dialog_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

#include "common/text_win32.h"
#include "host/controls/command_win32.h"
#include "host/host_resources.h"
#include "host/settings/settings.h"
#include "host/settings_dialog/dialog_logic.h"
#include "host/settings/settings_store_win32.h"

namespace orvalis {
namespace {

using dialog::Rect;
using dialog::Rgb;

constexpr wchar_t kWindowClass[] = L"Veyra.Settings";
constexpr wchar_t kPanelClass[] = L"Veyra.Panel";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

constexpr int kIdRepeat = 100;
constexpr int kIdCmdFile = 101;
constexpr int kIdCmdSet = 102;
constexpr int kIdCmdCan = 103;

AnimatedRectsFunction animatedRects = &DrawAnimatedRects;

// The point the caption zoom starts from and returns to: the pointer when the dialog opened.
struct {
    int16_t x = 0;
    int16_t y = 0;
} animationOrigin;

// The window's messages: a warning the user dismisses with OK, under the program's name.
void ShowWarning(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), WideFromUtf8("Orvalis (ScreenSaver)").c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::string Utf8Text(HWND window) {
    const int n = GetWindowTextLengthW(window);
    std::wstring wide(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(window, wide.data(), n + 1);
    wide.resize(static_cast<size_t>(n));
    return Utf8FromWide(wide);
}

struct DialogState;
HWND MakeButton(DialogState& s, HWND parent, int id, const Rect& r, const char* caption);
// The window follows the button's Enabled property, so that a disabled button drops out of the Tab order
// and gets no input at all.
void SetButtonEnabled(HWND button, bool enabled) {
    if (Command* c = CommandFromWindow(button)) c->Enabled(enabled);
    EnableWindow(button, enabled ? TRUE : FALSE);
}
void InitializeButton(HWND button) {
    if (Command* c = CommandFromWindow(button)) c->Initialize();
}

RECT ToRect(const Rect& r) { return {r.left, r.top, r.left + r.width, r.top + r.height}; }
bool Contains(const Rect& r, POINT p) {
    return p.x >= r.left && p.x < r.left + r.width && p.y >= r.top && p.y < r.top + r.height;
}

HFONT MakeFont(bool underline) {
    return CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       L"ＭＳ Ｐゴシック");
}

// A retained picture of a surface: painted when something on it changes, copied on WM_PAINT.
class Surface {
public:
    ~Surface() { Release(); }
    HDC Begin(HWND window, int width, int height) {
        if (dc_ == nullptr || width != width_ || height != height_) {
            Release();
            HDC screen = GetDC(window);
            dc_ = CreateCompatibleDC(screen);
            bitmap_ = CreateCompatibleBitmap(screen, width, height);
            ReleaseDC(window, screen);
            old_ = SelectObject(dc_, bitmap_);
            width_ = width;
            height_ = height;
        }
        return dc_;
    }
    void CopyTo(HDC target) const {
        if (dc_ != nullptr) BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    }

private:
    void Release() {
        if (dc_ != nullptr) {
            SelectObject(dc_, old_);
            DeleteObject(bitmap_);
            DeleteDC(dc_);
        }
        dc_ = nullptr;
        bitmap_ = nullptr;
    }
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int width_ = 0, height_ = 0;
};

struct DialogState {
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HWND panel = nullptr;
    HWND repeatBox = nullptr;
    HWND cmdFile = nullptr;
    HWND cmdSet = nullptr;
    HWND cmdCan = nullptr;
    HFONT font = nullptr;
    HFONT linkFont = nullptr;
    HCURSOR linkCursor = nullptr;
    Surface windowSurface;
    Surface panelSurface;
    std::string fileCaption;  // the caption of lbl_Fname 0, as stored (ANSI)
    bool urlPressed = false;
    bool closing = false;
    bool destroyed = false;
};

DialogState* StateOf(HWND window) {
    return reinterpret_cast<DialogState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void PaintGradient(HDC dc, int width, int height, bool panel) {
    for (int y = 0; y < dialog::GradientRowCount(height); ++y) {
        const int level = dialog::GradientLevel(y, height);
        const Rgb c = panel ? dialog::PanelRowColour(level) : dialog::WindowRowColour(level);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(c.r, c.g, c.b));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, width, y);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

// Labels sized to their text are drawn unclipped, so that a wider font does not cut them off.
void DrawLabel(HDC dc, const Rect& r, const std::wstring& text, UINT format, bool sizedToText = true) {
    RECT box = ToRect(r);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              format | DT_NOPREFIX | (sizedToText ? DT_NOCLIP : 0));
}

void DrawMark(HDC dc, const Rect& r, bool selected) {
    for (int y = 0; y < dialog::kMarkSize; ++y) {
        for (int x = 0; x < dialog::kMarkSize; ++x) {
            const Rgb c = dialog::MarkPixel(selected, x, y);
            SetPixelV(dc, r.left + x, r.top + y, RGB(c.r, c.g, c.b));
        }
    }
}

void RenderWindow(DialogState& s) {
    RECT client;
    GetClientRect(s.window, &client);
    HDC dc = s.windowSurface.Begin(s.window, client.right, client.bottom);
    PaintGradient(dc, client.right, client.bottom, false);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, s.linkFont);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawLabel(dc, dialog::kLblUrl, WideFromUtf8(dialog::kAuthorUrl), DT_LEFT | DT_TOP | DT_SINGLELINE);
    SelectObject(dc, old);
}

void RenderPanel(DialogState& s) {
    RECT client;
    GetClientRect(s.panel, &client);
    HDC dc = s.panelSurface.Begin(s.panel, client.right, client.bottom);
    PaintGradient(dc, client.right, client.bottom, true);

    // The heading's frame: a one-pixel black outline.
    const RECT frame = ToRect(dialog::kShape3);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FrameRect(dc, &frame, black);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(dc, s.font);
    DrawLabel(dc, dialog::kLbl15, L"BGM", DT_CENTER | DT_TOP | DT_SINGLELINE);
    const char* rows[3] = {"なし", "音楽CD", "MP3、WAV"};
    const auto states = dialog::StatesForChoice(SaverSettings.bgmKind);
    for (int i = 0; i < 3; ++i) {
        DrawLabel(dc, dialog::kLblBgm[static_cast<size_t>(i)], WideFromUtf8(rows[i]), DT_LEFT | DT_TOP | DT_SINGLELINE);
        DrawMark(dc, dialog::kImgBgm[static_cast<size_t>(i)], states.markedRow == i);
    }
    DrawLabel(dc, dialog::kLbl14, WideFromUtf8("曲目をﾘﾋﾟｰﾄ"), DT_LEFT | DT_TOP | DT_SINGLELINE);

    const RECT box = ToRect(dialog::kLblFname0);
    FrameRect(dc, &box, black);
    Rect inner = dialog::kLblFname0;
    inner.left += 2;
    inner.top += 2;
    inner.width -= 4;
    inner.height -= 4;
    DrawLabel(dc, inner, WideFromAnsi(s.fileCaption), DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL, false);
    SelectObject(dc, old);
}

void Repaint(DialogState& s) {
    RenderPanel(s);
    InvalidateRect(s.panel, nullptr, FALSE);
}

void ApplyChoice(DialogState& s, int choice) {
    const auto states = dialog::StatesForChoice(choice);
    EnableWindow(s.repeatBox, states.repeatEnabled ? TRUE : FALSE);
    SetButtonEnabled(s.cmdFile, states.fileButtonEnabled);
    // A control that was just disabled cannot keep the keyboard: hand it to the first one in the Tab order.
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(s.window, focus) && !IsWindowEnabled(focus)) focus = nullptr;
    for (HWND w = focus; w != nullptr && w != s.window; w = GetParent(w)) {
        if (!IsWindowEnabled(w)) focus = nullptr;
    }
    if (focus == nullptr && GetActiveWindow() == s.window) {
        if (HWND next = GetNextDlgTabItem(s.window, nullptr, FALSE)) SetFocus(next);
    }
    Repaint(s);
}

void SelectMusicSource(DialogState& s, int row) {
    SaverSettings.bgmKind = static_cast<int16_t>(row);
    ApplyChoice(s, row);
}

void Animate(HWND window, const dialog::Zoom& zoom) {
    const RECT from{zoom.from.left, zoom.from.top, zoom.from.right, zoom.from.bottom};
    const RECT to{zoom.to.left, zoom.to.top, zoom.to.right, zoom.to.bottom};
    animatedRects(window, IDANI_CAPTION, &from, &to);
}

dialog::ScreenRect WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

void ShowOpenAnimation(HWND window) {
    Animate(window, dialog::OpenZoom({animationOrigin.x, animationOrigin.y}, WindowRect(window)));
}

void ShowCloseAnimation(HWND window) {
    Animate(window, dialog::CloseZoom({animationOrigin.x, animationOrigin.y}, WindowRect(window)));
}

void Unload(DialogState& s) {
    if (s.closing) return;
    s.closing = true;
    ShowCloseAnimation(s.window);
    DestroyWindow(s.window);
}

void ChooseFile(DialogState& s) {
    std::wstring filter = WideFromUtf8("BGMﾌｧｲﾙ (MP3 WAV)");
    filter.push_back(L'\0');
    filter += L"*.MP3;*.WAV";
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    const std::wstring title = WideFromUtf8("ﾌｧｲﾙを開く");
    const std::wstring folder = WideFromAnsi(SaverSettings.browseFolder);
    wchar_t file[255] = {};
    wchar_t fileTitle[255] = {};

    OPENFILENAMEW ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = s.window;
    ofn.hInstance = s.instance;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 0;
    ofn.lpstrFile = file;
    ofn.nMaxFile = 255;
    ofn.lpstrFileTitle = fileTitle;
    ofn.nMaxFileTitle = 255;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = 0;
    if (!GetOpenFileNameW(&ofn)) return;

    std::string path;
    if (!AnsiFromWide(file, path)) {
        ShowWarning(s.window, WideFromUtf8("選んだファイルの名前には、"
                                    "このシステムの文字コードで表せない文字が含まれています。\n"
                                    "別の名前のファイルを選んでください。"));
        return;
    }
    // A longer path would be saved whole but read back cut short, and the music would be lost.
    if (!dialog::MusicPathFits(path)) {
        ShowWarning(s.window, WideFromUtf8("選んだファイルのパスは、このシステムの文字コードで " +
                                    std::to_string(dialog::kMaxMusicPathBytes) +
                                    " バイトを超えるため、設定に保存できません。\n"
                                    "もっと短いパスのファイルを選んでください。"));
        return;
    }
    SaverSettings.bgmFile = path;
    s.fileCaption = path;
    SaverSettings.browseFolder = FolderOf(path);
    Repaint(s);
}

void Save(DialogState& s) {
    const std::string repeatText = Utf8Text(s.repeatBox);
    const std::string file = SettingsFilePath();
    SaverSettings.bgmRepeat = dialog::RepeatValueForSave(repeatText);
    for (const auto& write : dialog::SaveWrites(SaverSettings.bgmKind, repeatText, SaverSettings.bgmFile)) {
        if (!WriteIniString(kSettingsSection, write.key, write.value, file)) {
            // The window stays up with the choice in it, so that the user can free the file and press Set
            // again, or give up with Cancel.
            ShowWarning(s.window, WideFromUtf8("設定を保存できませんでした。次のファイルに書き込めません:\n\n") +
                                      WideFromAnsi(file) +
                                      WideFromUtf8("\n\nファイルとフォルダーが書き込み禁止になっていないか"
                                            "確かめてから、もう一度「設定」を押してください。"));
            return;
        }
    }
    Unload(s);
}

void OpenLink(DialogState& s) {
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
    ShellExecuteA(s.window, "open", dialog::kAuthorUrl, nullptr, nullptr, SW_SHOWNORMAL);
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

HCURSOR MakeLinkCursor(HINSTANCE instance) {
    const dialog::CursorMasks masks = dialog::HandCursorMasks();
    return CreateCursor(instance, dialog::kCursorHotX, dialog::kCursorHotY, dialog::kCursorSize,
                        dialog::kCursorSize, masks.andMask.data(), masks.xorMask.data());
}

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* s = StateOf(GetParent(panel));
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(panel, &ps);
            if (s != nullptr) s->panelSurface.CopyTo(dc);
            EndPaint(panel, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            // Any mouse button on a mark or its caption picks that row.
            const POINT p{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
            for (int i = 0; i < 3 && s != nullptr; ++i) {
                const auto index = static_cast<size_t>(i);
                if (Contains(dialog::kImgBgm[index], p) || Contains(dialog::kLblBgm[index], p)) {
                    SelectMusicSource(*s, i);
                    break;
                }
            }
            return 0;
        }
        case WM_COMMAND:
            // Commands of the panel's children go to the window, which handles them all.
            return SendMessageW(GetParent(panel), message, wParam, lParam);
        default:
            return DefWindowProcW(panel, message, wParam, lParam);
    }
}

void CreateControls(DialogState& s) {
    s.font = MakeFont(false);
    s.linkFont = MakeFont(true);
    s.linkCursor = MakeLinkCursor(s.instance);

    const Rect& p = dialog::kPicC;
    s.panel = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                              p.left, p.top, p.width, p.height, s.window, nullptr, s.instance, nullptr);

    // The track box: its list drops below the edit field.
    const Rect& r = dialog::kBgmRepeat;
    s.repeatBox = CreateWindowExW(0, L"COMBOBOX", L"",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                                  r.left, r.top, r.width, r.height + 200, s.panel,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdRepeat)), s.instance, nullptr);
    SendMessageW(s.repeatBox, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);

    s.cmdFile = MakeButton(s, s.panel, kIdCmdFile, dialog::kCmdFile0, "...");
    s.cmdSet = MakeButton(s, s.window, kIdCmdSet, dialog::kCmdSet, "設定");
    s.cmdCan = MakeButton(s, s.window, kIdCmdCan, dialog::kCmdCan, "ｷｬﾝｾﾙ");
}

HWND MakeButton(DialogState& s, HWND parent, int id, const Rect& r, const char* caption) {
    HWND button = CreateCommand(parent, id, r.left, r.top, r.width, r.height, s.instance);
    // The buttons come up with the properties the dialog keeps for them: enabled, captioned, in the
    // dialog's font.
    if (Command* c = CommandFromWindow(button)) {
        PropertyBag saved;
        saved.Write("Caption", std::string(caption));
        saved.Write("Enabled", true);
        saved.Write("Font", ButtonFont{"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128});
        c->LoadProperties(saved);
    }
    return button;
}

// Load, in its order; each step that fails is passed over.
void Load(DialogState& s) {
    RECT outer{};
    GetWindowRect(s.window, &outer);
    const dialog::Point at = dialog::DialogPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                                    outer.right - outer.left, outer.bottom - outer.top);
    SetWindowPos(s.window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // InitializeButtons: every button control, in creation order.
    for (HWND button : {s.cmdCan, s.cmdSet, s.cmdFile}) InitializeButton(button);

    EnableWindow(s.repeatBox, FALSE);
    s.fileCaption = SaverSettings.bgmFile;
    ApplyChoice(s, SaverSettings.bgmKind);

    const std::wstring repeatText = WideFromAnsi(dialog::RepeatNumberText(SaverSettings.bgmRepeat));
    SetWindowTextW(s.repeatBox, repeatText.c_str());
    for (const std::string& item : dialog::RepeatListItems()) {
        const std::wstring text = WideFromAnsi(item);
        SendMessageW(s.repeatBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    RenderWindow(s);
    RenderPanel(s);

    POINT cursor{};
    if (GetCursorPos(&cursor)) {
        animationOrigin = {static_cast<int16_t>(cursor.x), static_cast<int16_t>(cursor.y)};
    } else {
        animationOrigin = {0, 0};
    }
    ShowOpenAnimation(s.window);
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* s = static_cast<DialogState*>(create->lpCreateParams);
        s->window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    }
    DialogState* s = StateOf(window);
    if (s == nullptr) return DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            s->windowSurface.CopyTo(dc);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            if (s->panel != nullptr) {
                RenderWindow(*s);
                RenderPanel(*s);
                InvalidateRect(window, nullptr, FALSE);
            }
            return 0;
        case WM_SETCURSOR: {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(window, &p);
            if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT &&
                Contains(dialog::kLblUrl, p)) {
                SetCursor(s->linkCursor);
                return TRUE;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        }
        case WM_LBUTTONDOWN: {
            const POINT p{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
            s->urlPressed = Contains(dialog::kLblUrl, p);
            return 0;
        }
        case WM_LBUTTONUP: {
            const POINT p{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
            const bool click = s->urlPressed && Contains(dialog::kLblUrl, p);
            s->urlPressed = false;
            if (click) OpenLink(*s);
            return 0;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                switch (LOWORD(wParam)) {
                    case kIdCmdFile: ChooseFile(*s); break;
                    case kIdCmdSet: Save(*s); break;
                    case kIdCmdCan: Unload(*s); break;
                    default: break;
                }
            }
            return 0;
        case WM_CLOSE:
            Unload(*s);
            return 0;
        case WM_DESTROY:
            s->destroyed = true;
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            return DefWindowProcW(window, message, wParam, lParam);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ORVALIS));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = CreateSolidBrush(RGB(192, 192, 192));
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    WNDCLASSEXW panel{};
    panel.cbSize = sizeof panel;
    panel.lpfnWndProc = PanelProc;
    panel.hInstance = instance;
    panel.hCursor = wc.hCursor;
    panel.hbrBackground = CreateSolidBrush(RGB(224, 224, 224));
    panel.lpszClassName = kPanelClass;
    return RegisterClassExW(&panel) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

void SetAnimatedRectsFunction(AnimatedRectsFunction function) {
    animatedRects = function != nullptr ? function : &DrawAnimatedRects;
}

void ShowSettingsDialog(HINSTANCE instance) {
    if (!RegisterCommandClass(instance) || !RegisterClasses(instance)) return;

    DialogState state;
    state.instance = instance;
    RECT frame{0, 0, dialog::kClientWidth, dialog::kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    // The caption is ASCII and other instances look for it by its exact bytes.
    const std::wstring caption = WideFromAnsi(kSettingsWindowTitle);
    HWND window = CreateWindowExW(kExStyle, kWindowClass, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                  &state);
    if (window == nullptr) return;
    CreateControls(state);
    Load(state);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetForegroundWindow(window);
    if (state.repeatBox != nullptr && IsWindowEnabled(state.repeatBox)) SetFocus(state.repeatBox);

    MSG msg;
    while (!state.destroyed && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (state.font != nullptr) DeleteObject(state.font);
    if (state.linkFont != nullptr) DeleteObject(state.linkFont);
    if (state.linkCursor != nullptr) DestroyCursor(state.linkCursor);
}

}  // namespace orvalis
