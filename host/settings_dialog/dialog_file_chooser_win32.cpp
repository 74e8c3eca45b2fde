#include "host/settings_dialog/dialog_window_win32.h"

#include <commdlg.h>

#include <optional>
#include <string>

#include "common/text_win32.h"
#include "host/settings/settings.h"
#include "host/settings/settings_store_win32.h"

namespace orvalis::dialog {
namespace {

constexpr DWORD kPathChars = 255;

// The open-file dialog over the music files, starting in the browse folder; nothing when the user cancels.
std::optional<std::wstring> AskForFile(const DialogState& s) {
    std::wstring filter = WideFromUtf8("BGMﾌｧｲﾙ (MP3 WAV)");
    filter.push_back(L'\0');
    filter += L"*.MP3;*.WAV";
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    const std::wstring title = WideFromUtf8("ﾌｧｲﾙを開く");
    const std::wstring folder = WideFromAnsi(SaverSettings.browseFolder);
    wchar_t file[kPathChars] = {};
    wchar_t fileTitle[kPathChars] = {};

    OPENFILENAMEW ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = s.window;
    ofn.hInstance = s.instance;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 0;
    ofn.lpstrFile = file;
    ofn.nMaxFile = kPathChars;
    ofn.lpstrFileTitle = fileTitle;
    ofn.nMaxFileTitle = kPathChars;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = 0;
    if (!GetOpenFileNameW(&ofn)) return std::nullopt;
    return std::wstring(file);
}

// The chosen file's ANSI path, or nothing (after telling the user why) when the settings cannot keep it.
std::optional<std::string> StorablePath(HWND window, const std::wstring& file) {
    std::string path;
    if (!AnsiFromWide(file, path)) {
        ShowWarning(window, WideFromUtf8("選んだファイルの名前には、"
                                         "このシステムの文字コードで表せない文字が含まれています。\n"
                                         "別の名前のファイルを選んでください。"));
        return std::nullopt;
    }
    // A longer path would be saved whole but read back cut short, and the music would be lost.
    if (!MusicPathFits(path)) {
        ShowWarning(window, WideFromUtf8("選んだファイルのパスは、このシステムの文字コードで " +
                                         std::to_string(kMaxMusicPathBytes) +
                                         " バイトを超えるため、設定に保存できません。\n"
                                         "もっと短いパスのファイルを選んでください。"));
        return std::nullopt;
    }
    // The settings file here is every user's: another user's saver would sign in to that computer.
    if (MusicPathRefused(path)) {
        ShowWarning(window,
                    WideFromUtf8("選んだファイルは別のコンピュータにあり、この設定はこのコンピュータの"
                                 "すべてのユーザーが使うため、設定に保存できません。\n"
                                 "このコンピュータのドライブにあるファイルを選んでください。"));
        return std::nullopt;
    }
    return path;
}

}  // namespace

void ChooseFile(DialogState& s) {
    const std::optional<std::wstring> file = AskForFile(s);
    if (!file) return;
    const std::optional<std::string> path = StorablePath(s.window, *file);
    if (!path) return;
    SaverSettings.bgmFile = *path;
    s.fileCaption = *path;
    SaverSettings.browseFolder = FolderOf(*path);
    Repaint(s);
}

}  // namespace orvalis::dialog
