// Orvalis.scr: the saver host. Windows starts it with /s (run the saver), /c (settings), /p <window>
// (preview), or with no switch at all (run the saver, cursor left alone).
#include <string>

#include "common/text_win32.h"
#include "host/command_line.h"
#include "host/preview/preview_window_win32.h"
#include "host/saver/saver_window_win32.h"
#include "host/settings/settings.h"
#include "host/settings/settings_store_win32.h"
#include "host/settings_dialog/settings_dialog_win32.h"

namespace orvalis {
namespace {

constexpr const wchar_t* kApplicationTitle = L"Orvalis (ScreenSaver)";

}  // namespace

// Opens the window the command line asks for. True when a window is open and the host must run its
// message loop; false when the host is done.
bool HostMain(HINSTANCE instance, const std::string& commandLine) {
    // A running saver or an open settings dialog already owns the screen.
    if (FindWindowA(nullptr, kSaverWindowTitle) || FindWindowA(nullptr, kSettingsWindowTitle)) return false;

    const HostMode mode = ModeOf(commandLine);
    if (mode == HostMode::Preview) {
        const auto parent = reinterpret_cast<HWND>(
            static_cast<intptr_t>(static_cast<int32_t>(PreviewParentHandle(commandLine))));
        HWND preview = CreatePreviewWindow(instance, parent);
        if (!preview) return false;
        if (!EmbedPreviewWindow(preview, parent)) {
            DestroyWindow(preview);
            return false;
        }
        return true;
    }

    LoadSettings();
    if (!FileExists(PathInFolder(HostFolder(), kRendererFileName))) {
        const std::wstring missing = WideFromUtf8(kRendererFileName) + L" が同じﾌｫﾙﾀﾞに見つかりません！";
        MessageBoxW(nullptr, missing.c_str(), kApplicationTitle, MB_OK);
        return false;
    }
    switch (mode) {
        case HostMode::Configure:
            ShowSettingsDialog(instance);
            return false;
        case HostMode::Saver:
            savedCursorCount = ShowCursor(FALSE);
            break;
        case HostMode::SaverShowCursor:
            break;
        default:
            return false;
    }
    return CreateSaverScreenWindow(instance, commandLine) != nullptr;
}

}  // namespace orvalis

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (!orvalis::HostMain(instance, commandLine ? commandLine : "")) return 0;
    orvalis::RunHostMessageLoop();
    return 0;
}
