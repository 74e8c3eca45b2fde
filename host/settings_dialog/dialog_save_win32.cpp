#include "host/settings_dialog/dialog_window_win32.h"

#include <string>

#include "common/text_win32.h"
#include "host/settings/settings.h"
#include "host/settings/settings_store_win32.h"

namespace orvalis::dialog {
namespace {

std::string Utf8Text(HWND window) {
    const int n = GetWindowTextLengthW(window);
    std::wstring wide(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(window, wide.data(), n + 1);
    wide.resize(static_cast<size_t>(n));
    return Utf8FromWide(wide);
}

void WarnNotSaved(HWND window, const std::string& file) {
    ShowWarning(window, WideFromUtf8("設定を保存できませんでした。次のファイルに書き込めません:\n\n") +
                            WideFromAnsi(file) +
                            WideFromUtf8("\n\nファイルとフォルダーが書き込み禁止になっていないか"
                                         "確かめてから、もう一度「設定」を押してください。"));
}

}  // namespace

void Save(DialogState& s) {
    const std::string repeatText = Utf8Text(s.repeatBox);
    const std::string file = SettingsFilePath();
    SaverSettings.bgmRepeat = RepeatValueForSave(repeatText);
    for (const auto& write : SaveWrites(SaverSettings.bgmKind, repeatText, SaverSettings.bgmFile)) {
        if (!WriteIniString(kSettingsSection, write.key, write.value, file)) {
            // The window stays up with the choice in it, so that the user can free the file and press Set
            // again, or give up with Cancel.
            WarnNotSaved(s.window, file);
            return;
        }
    }
    Unload(s);
}

}  // namespace orvalis::dialog
