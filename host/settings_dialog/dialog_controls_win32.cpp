#include "host/settings_dialog/dialog_window_win32.h"

#include <utility>

#include "common/dpi_scale.h"
#include "common/dpi_win32.h"
#include "host/controls/command_win32.h"
#include "host/settings/settings.h"

namespace orvalis::dialog {
namespace {

GdiFont MakeFont(int height, bool underline) {
    return GdiFont(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE,
                               SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック"));
}

HWND MakeButton(const DialogState& s, HWND parent, int id, const LayoutRect& r, const char* caption) {
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

// The list of the track box drops this far below its edit field, at 96 dpi.
constexpr int kRepeatListHeight = 200;

// The track box: its list drops below the edit field.
HWND MakeRepeatBox(const DialogState& s) {
    const LayoutRect& r = s.layout.bgmRepeat;
    return CreateWindowExW(
        0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
        r.left, r.top, r.width, r.height + ScaleToDpi(kRepeatListHeight, s.layout.dpi), s.panel,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdRepeat)), s.instance, nullptr);
}

// The default user-interface font, at the window's DPI: the stock font itself where that is the system's.
GdiFont MakeRepeatFont(int dpi) {
    LOGFONTW lf{};
    auto* stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const int systemDpi = SystemDpi();
    if (dpi == systemDpi || !GetObjectW(stock, sizeof lf, &lf)) return GdiFont();
    lf.lfHeight = MulDivRound(lf.lfHeight, dpi, systemDpi);
    return GdiFont(CreateFontIndirectW(&lf));
}

// At another DPI than the design's the track box's edit field takes the scaled height of the box: the
// field gets what the box's frame leaves of it. At 96 dpi the box keeps the height its font gives it.
int WindowHeight(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r.bottom - r.top;
}

void FitRepeatBoxHeight(HWND box, int dpi, int height) {
    if (dpi == kDesignDpi) return;
    const LRESULT field = SendMessageW(box, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (field == CB_ERR) return;
    // NOTE: what the box adds to the field's height differs between systems (and is not always what the
    // field's height reads back as): a second step takes up what the first one missed.
    LRESULT request = field + height - WindowHeight(box);
    for (int step = 0; step < 2 && request > 0; ++step) {
        SendMessageW(box, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), request);
        const int got = WindowHeight(box);
        if (got == height) return;
        request += height - got;
    }
}

void Place(HWND child, const LayoutRect& r) {
    SetWindowPos(child, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window follows the button's Enabled property, so that a disabled button drops out of the Tab order
// and gets no input at all.
void SetButtonEnabled(HWND button, bool enabled) {
    if (Command* c = CommandFromWindow(button)) c->Enabled(enabled);
    EnableWindow(button, enabled ? TRUE : FALSE);
}

// A control that was just disabled cannot keep the keyboard: hand it to the first one in the Tab order.
void KeepFocusOnAnEnabledControl(const DialogState& s) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(s.window, focus) && !IsWindowEnabled(focus)) focus = nullptr;
    for (HWND w = focus; w != nullptr && w != s.window; w = GetParent(w)) {
        if (!IsWindowEnabled(w)) focus = nullptr;
    }
    if (focus == nullptr && GetActiveWindow() == s.window) {
        if (HWND next = GetNextDlgTabItem(s.window, nullptr, FALSE)) SetFocus(next);
    }
}

// The track box's font, place and height at the layout's DPI.
void LayOutRepeatBox(DialogState& s, int dpi) {
    // The box lets go of its old font before that font is deleted.
    GdiFont repeatFont = MakeRepeatFont(dpi);
    HGDIOBJ font = repeatFont ? repeatFont.get() : GetStockObject(DEFAULT_GUI_FONT);
    SendMessageW(s.repeatBox, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    s.repeatFont = std::move(repeatFont);
    LayoutRect box = s.layout.bgmRepeat;
    box.height += ScaleToDpi(kRepeatListHeight, dpi);
    Place(s.repeatBox, box);
    FitRepeatBoxHeight(s.repeatBox, dpi, s.layout.bgmRepeat.height);
}

}  // namespace

void CreateControls(DialogState& s) {
    const LayoutRect& p = s.layout.picC;
    s.panel = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                              p.left, p.top, p.width, p.height, s.window, nullptr, s.instance, nullptr);
    s.repeatBox = MakeRepeatBox(s);
    s.cmdFile = MakeButton(s, s.panel, kIdCmdFile, s.layout.cmdFile0, "...");
    s.cmdSet = MakeButton(s, s.window, kIdCmdSet, s.layout.cmdSet, "設定");
    s.cmdCan = MakeButton(s, s.window, kIdCmdCan, s.layout.cmdCan, "ｷｬﾝｾﾙ");
    ApplyDpi(s, s.layout.dpi);
}

void ApplyDpi(DialogState& s, int dpi) {
    s.layout = LayoutForDpi(dpi);
    s.font = MakeFont(s.layout.fontHeight, false);
    s.linkFont = MakeFont(s.layout.fontHeight, true);
    s.linkCursor = MakeLinkCursor(s.instance, dpi);
    if (s.panel == nullptr) return;
    Place(s.panel, s.layout.picC);
    LayOutRepeatBox(s, dpi);
    Place(s.cmdFile, s.layout.cmdFile0);
    Place(s.cmdSet, s.layout.cmdSet);
    Place(s.cmdCan, s.layout.cmdCan);
}

// Every button control, in creation order.
void InitializeButtons(const DialogState& s) {
    for (HWND button : {s.cmdCan, s.cmdSet, s.cmdFile}) {
        if (Command* c = CommandFromWindow(button)) c->Initialize();
    }
}

void ApplyChoice(DialogState& s, int choice) {
    const auto states = StatesForChoice(choice);
    EnableWindow(s.repeatBox, states.repeatEnabled ? TRUE : FALSE);
    SetButtonEnabled(s.cmdFile, states.fileButtonEnabled);
    KeepFocusOnAnEnabledControl(s);
    Repaint(s);
}

void SelectMusicSource(DialogState& s, int row) {
    SaverSettings.bgmKind = static_cast<int16_t>(row);
    ApplyChoice(s, row);
}

}  // namespace orvalis::dialog
