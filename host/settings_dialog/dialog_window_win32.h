// The settings window's parts, for the files that make it up: its state, its controls' ids and the job of
// each file (painting, controls, file chooser, saving, link, and the window itself with its modal loop).
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <optional>
#include <string>

#include "common/handles_win32.h"
#include "host/settings_dialog/dialog_logic.h"

namespace orvalis::dialog {

constexpr wchar_t kPanelClass[] = L"Veyra.Panel";

constexpr int kIdRepeat = 100;
constexpr int kIdCmdFile = 101;
constexpr int kIdCmdSet = 102;
constexpr int kIdCmdCan = 103;

// A retained picture of a surface: painted when something on it changes, copied on WM_PAINT.
class Surface {
public:
    HDC Begin(HWND window, int width, int height);
    void CopyTo(HDC target) const;

private:
    MemoryDc dc_;
    GdiBitmap bitmap_;
    std::optional<Selection> selection_;  // bitmap_ in dc_
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
    DialogLayout layout = LayoutForDpi(96);  // at the window's DPI
    GdiFont font;
    GdiFont linkFont;
    GdiFont repeatFont;  // the track box's font when it is not the stock one
    OwnedCursor linkCursor;
    Surface windowSurface;
    Surface panelSurface;
    std::string fileCaption;  // the caption of lbl_Fname 0, as stored (ANSI)
    bool urlPressed = false;
    bool closing = false;
    bool destroyed = false;
};

RECT ToRect(const LayoutRect& r);
bool Contains(const LayoutRect& r, POINT p);
// The client point of a mouse message.
POINT PointOf(LPARAM lParam);

// dialog_paint_win32.cpp: the window's and the panel's retained pictures.
void RenderWindow(DialogState& s);
void RenderPanel(DialogState& s);
// The panel's picture again, after its marks or the file caption changed.
void Repaint(DialogState& s);

// dialog_controls_win32.cpp: the child windows and their states.
void CreateControls(DialogState& s);
// The layout, fonts and link cursor for a DPI, and every child moved to its place in it.
void ApplyDpi(DialogState& s, int dpi);
void InitializeButtons(const DialogState& s);
void ApplyChoice(DialogState& s, int choice);
void SelectMusicSource(DialogState& s, int row);

// dialog_file_chooser_win32.cpp: the "..." button.
void ChooseFile(DialogState& s);

// dialog_save_win32.cpp: the Set button.
void Save(DialogState& s);

// dialog_link_win32.cpp: the credit link under the panel.
OwnedCursor MakeLinkCursor(HINSTANCE instance, int dpi);
// True when the pointer is over the link in the window's client area and the link cursor was set.
bool SetLinkCursor(const DialogState& s, HWND target, UINT hitTest);
void PressLink(DialogState& s, POINT p);
void ReleaseLink(DialogState& s, POINT p);

// settings_dialog_win32.cpp: the window's messages and its end.
void ShowWarning(HWND owner, const std::wstring& text);
void Unload(DialogState& s);

}  // namespace orvalis::dialog
