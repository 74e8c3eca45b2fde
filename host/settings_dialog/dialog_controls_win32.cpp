#include "host/settings_dialog/dialog_window_win32.h"

#include "host/controls/command_win32.h"
#include "host/settings/settings.h"

namespace orvalis::dialog {
namespace {

GdiFont MakeFont(bool underline) {
    return GdiFont(CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE,
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

// The track box: its list drops below the edit field.
HWND MakeRepeatBox(const DialogState& s) {
    const LayoutRect& r = kBgmRepeat;
    HWND box = CreateWindowExW(
        0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
        r.left, r.top, r.width, r.height + 200, s.panel,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdRepeat)), s.instance, nullptr);
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return box;
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

}  // namespace

void CreateControls(DialogState& s) {
    s.font = MakeFont(false);
    s.linkFont = MakeFont(true);
    s.linkCursor = MakeLinkCursor(s.instance);

    const LayoutRect& p = kPicC;
    s.panel = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                              p.left, p.top, p.width, p.height, s.window, nullptr, s.instance, nullptr);
    s.repeatBox = MakeRepeatBox(s);
    s.cmdFile = MakeButton(s, s.panel, kIdCmdFile, kCmdFile0, "...");
    s.cmdSet = MakeButton(s, s.window, kIdCmdSet, kCmdSet, "設定");
    s.cmdCan = MakeButton(s, s.window, kIdCmdCan, kCmdCan, "ｷｬﾝｾﾙ");
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
