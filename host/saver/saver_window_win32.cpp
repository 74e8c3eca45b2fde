#include "host/saver/saver_window_win32.h"

#include <vector>

#include "common/text_win32.h"
#include "common/window_state_win32.h"
#include "host/music/music_platform_win32.h"
#include "host/saver/saver_run.h"
#include "host/saver/texture_file_win32.h"
#include "common/texture_picture.h"
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
    bool rendererSeen = false;    // "Orvalis_VC" has existed
    bool rendererShowed = false;  // the renderer's process has shown a window of any kind
    HWND window = nullptr;        // null once the run has ended
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

// Waits up to `ms` for a process to end, handling the messages other threads send meanwhile (a broadcast of
// the renderer's must not stall on this thread); true once it has ended.
bool WaitForProcessEnd(HANDLE process, ULONGLONG ms) {
    const ULONGLONG until = GetTickCount64() + ms;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < until ? static_cast<DWORD>(until - now) : 0;
        const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0) return true;
        if (woken != WAIT_OBJECT_0 + 1 || left == 0) return false;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// How long the end of a run waits for the renderer's process before it leaves the texture copy in place.
constexpr ULONGLONG kRendererExitWaitMs = 5000;

// Undoes what the run started and ends the host. Runs once: a Timer3 tick or the renderer's process
// ending, whichever comes first.
void EndSaverRun(HWND window, SaverScreen& s) {
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
    const bool rendererGone = !s.renderer || WaitForProcessEnd(s.renderer.get(), kRendererExitWaitMs);
    if (end.removeTextureCopy && rendererGone) DeleteFileW(s.texturePath.c_str());
    s.renderer.reset();
    s.window = nullptr;
    DestroyWindow(window);
}

struct WindowSearch {
    DWORD processId = 0;
    bool found = false;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window)) return TRUE;
    search->found = true;
    return FALSE;
}

// Whether the process shows a visible top-level window of any kind.
bool ProcessShowsWindow(HANDLE process) {
    WindowSearch search;
    search.processId = GetProcessId(process);
    if (search.processId == 0) return false;
    EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Timer3Tick(HWND window, SaverScreen& s) {
    RendererWatch watch;
    watch.renderWindowNow = FindWindowA(nullptr, kRendererWindowTitle) != nullptr;
    watch.anyWindowNow = s.renderer && ProcessShowsWindow(s.renderer.get());
    watch.rendererEnded = !s.renderer || WaitForSingleObject(s.renderer.get(), 0) != WAIT_TIMEOUT;
    s.rendererSeen = s.rendererSeen || watch.renderWindowNow;
    s.rendererShowed = s.rendererShowed || watch.renderWindowNow || watch.anyWindowNow;
    watch.renderWindowSeen = s.rendererSeen;
    watch.anyWindowSeen = s.rendererShowed;
    watch.msSinceStart = static_cast<int64_t>(GetTickCount64() - s.startTick);
    if (SaverRunOver(watch)) EndSaverRun(window, s);
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
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process)) {
        return {};
    }
    const KernelHandle thread(process.hThread);
    KernelHandle program(process.hProcess);
    // The host started by the system holds the foreground right; without passing it on, the program's
    // SetForegroundWindow would leave the keyboard with whatever had it before. It is passed on before the
    // program runs: the right lapses at the user's next input, and the mode change takes a while.
    AllowSetForegroundWindow(process.dwProcessId);
    if (ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
        TerminateProcess(program.get(), 1);
        return {};
    }
    return program;
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
