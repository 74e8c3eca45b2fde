#include "host/saver/saver_window_win32.h"

#include <vector>

#include "common/text_win32.h"
#include "common/window_state_win32.h"
#include "host/music/music_platform_win32.h"
#include "host/saver/saver_run.h"
#include "host/saver/texture_file_win32.h"
#include "host/saver/texture_picture.h"
#include "host/settings/settings.h"
#include "host/settings/settings_store_win32.h"

namespace orvalis {

int32_t savedCursorCount = 0;

namespace {

constexpr const wchar_t* kSaverWindowClass = L"OrvalisSaverScreen";

struct SaverScreen {
    std::string commandLine;
    std::vector<uint8_t> Pic1;  // the ring picture as a complete .bmp file
    std::string rendererPath;
    std::wstring texturePath;  // where Pic1 was saved, empty when nowhere
    MusicKind music = MusicKind::None;
    bool timer1On = false;
    bool timer2On = false;
    bool timer3On = false;
    KernelHandle renderer;  // only asked whether the renderer has ended; empty once the run has ended
    bool rendererStarted = false;
    bool rendererSeen = false;
    HWND window = nullptr;  // null once the run has ended
    ULONGLONG startTick = 0;
};

// One saver run per process.
SaverScreen saverScreen;

void SwitchTimer(HWND window, UINT_PTR id, UINT interval, bool& on, bool wanted) {
    if (wanted && !on) SetTimer(window, id, interval, nullptr);
    if (!wanted && on) KillTimer(window, id);
    on = wanted;
}

// Each step runs whether or not the one before it worked; nothing is reported.
void StartSaverRun(HWND window, SaverScreen& s) {
    s.Pic1 = TexturePictureBmp();
    s.texturePath = WriteTextureFile(s.Pic1);
    s.rendererPath = PathInFolder(HostFolder(), kRendererFileName);
    s.renderer = StartProgram(s.rendererPath);
    s.rendererStarted = s.renderer.valid();
    s.startTick = GetTickCount64();

    MusicPlayer& player = TheMusicPlayer();
    s.music = ChooseMusic(SaverSettings.bgmKind, SaverSettings.bgmFile);
    switch (s.music) {
        case MusicKind::Cd:
            player.OpenCd();
            SwitchTimer(window, kTimer2, kTimer2Interval, s.timer2On, true);
            break;
        case MusicKind::Wav:
            player.StartWav(SaverSettings.bgmFile);
            break;
        case MusicKind::Mp3:
            player.StartMp3(SaverSettings.bgmFile);
            SwitchTimer(window, kTimer1, kTimer1Interval, s.timer1On, true);
            break;
        case MusicKind::None:
            break;
    }
    SwitchTimer(window, kTimer3, kTimer3Interval, s.timer3On, true);
}

void Timer1Tick(SaverScreen&) {
    TheMusicPlayer().WatchMp3();
}

void Timer2Tick(HWND window, SaverScreen& s) {
    MusicPlayer& player = TheMusicPlayer();
    player.WatchCd(SaverSettings.bgmRepeat);
    SwitchTimer(window, kTimer2, kTimer2Interval, s.timer2On, player.cdWatchOn);
}

// Undoes what the run started and ends the host. Runs once: a Timer3 tick or the renderer's process
// ending, whichever comes first.
void EndSaverRun(HWND window, SaverScreen& s) {
    s.renderer.reset();
    SwitchTimer(window, kTimer3, kTimer3Interval, s.timer3On, false);
    const SaverEnd end = PlanSaverEnd({.timer2On = s.timer2On,
                                       .music = s.music,
                                       .commandLine = s.commandLine,
                                       .rendererStarted = s.rendererStarted,
                                       .textureInTempFolder = IsTextureCopyInTempFolder(s.texturePath)});
    MusicPlayer& player = TheMusicPlayer();
    if (end.stopCd) {
        SwitchTimer(window, kTimer2, kTimer2Interval, s.timer2On, false);
        player.StopCd();
    }
    if (end.stopWav) player.StopWav();
    if (end.stopMp3) {
        SwitchTimer(window, kTimer1, kTimer1Interval, s.timer1On, false);
        player.StopMp3();
    }
    // Undo the hiding: TRUE rather than the saved count as the flag, which would hide the cursor a
    // second time had hiding returned 0.
    if (end.restoreCursor) savedCursorCount = ShowCursor(TRUE);
    if (end.restoreDisplayMode) ChangeDisplaySettingsA(nullptr, 0);
    if (end.removeTextureCopy) DeleteFileW(s.texturePath.c_str());
    s.window = nullptr;
    DestroyWindow(window);
}

void Timer3Tick(HWND window, SaverScreen& s) {
    if (FindWindowA(nullptr, kRendererWindowTitle)) {
        s.rendererSeen = true;
        return;
    }
    const bool ended = !s.renderer || WaitForSingleObject(s.renderer.get(), 0) != WAIT_TIMEOUT;
    if (!SaverRunOver(s.rendererSeen, ended, static_cast<int64_t>(GetTickCount64() - s.startTick))) return;
    EndSaverRun(window, s);
}

LRESULT OnTimer(HWND window, SaverScreen& s, WPARAM id) {
    if (id == kTimer1) Timer1Tick(s);
    if (id == kTimer2) Timer2Tick(window, s);
    if (id == kTimer3) Timer3Tick(window, s);
    return 0;
}

LRESULT CALLBACK SaverScreenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SaverScreen* s = StateForMessage<SaverScreen>(window, message, lParam);
    if (s == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_CREATE:
            StartSaverRun(window, *s);
            return 0;
        case WM_TIMER:
            return OnTimer(window, *s, wParam);
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

KernelHandle StartProgram(const std::string& path) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + path + "\"";
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return {};
    }
    const KernelHandle thread(process.hThread);
    // The host started by the system holds the foreground right; without passing it on, the program's
    // SetForegroundWindow would leave the keyboard with whatever had it before.
    AllowSetForegroundWindow(process.dwProcessId);
    return KernelHandle(process.hProcess);
}

HWND CreateSaverScreenWindow(HINSTANCE instance, const std::string& commandLine) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = SaverScreenProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kSaverWindowClass;
    RegisterClassExW(&windowClass);
    saverScreen = SaverScreen{};
    saverScreen.commandLine = commandLine;
    // WS_POPUP keeps the system from adding a caption bar; the window is never shown anyway.
    saverScreen.window = CreateWindowExW(0, kSaverWindowClass, WideFromUtf8(kSaverWindowTitle).c_str(),
                                         WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, &saverScreen);
    return saverScreen.window;
}

int RunHostMessageLoop() {
    for (;;) {
        // The renderer's process counts as an event of its own: the run ends the moment it has gone,
        // not at the next Timer3 tick, so a locked session follows the picture without a gap.
        HANDLE renderer = saverScreen.renderer.get();
        const DWORD handles = renderer != nullptr ? 1 : 0;
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(handles, &renderer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (handles == 1 && woken != WAIT_OBJECT_0 + 1) {
            EndSaverRun(saverScreen.window, saverScreen);
            continue;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace orvalis
