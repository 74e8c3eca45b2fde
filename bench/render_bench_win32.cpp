// Frames per second of the renderer's real window, context and frame, uncapped, against an empty frame
// (clear and swap only) in the same run and window; the ratio is what to compare between machines.
// Also reports the process's private bytes after warm-up and after the drawing rounds: they must match.
//   render_bench [SECONDS_PER_ROUND [ROUNDS]]     (needs the texture picture where the renderer looks for it)
//   render_bench --pacing [SECONDS]
// The second form runs the renderer's own message loop in a small window without swap control, where the
// software renderer could draw far faster: it prints the frame rate the loop's pacing gives (about 60 wanted)
// and the process's CPU time while the window is minimised (near zero wanted).
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/contract.h"
#include "renderer/win32/render_shell_win32.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// NOTE: Wine leaves PrivateUsage at 0; the committed (page-file) bytes are the same figure there.
size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

void EmptyFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Frames per second of `frame` + swap for `seconds`; negative when the window was closed.
template <typename Frame>
double MeasureFps(double seconds, Frame&& frame) {
    long frames = 0;
    const double start = Now();
    double elapsed = 0.0;
    while (elapsed < seconds) {
        if (!orvalis::PumpMessages()) return -1.0;
        frame();
        orvalis::PresentFrame();
        ++frames;
        elapsed = Now() - start;
    }
    return frames / elapsed;
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

void CALLBACK EndLoop(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(0);
}

// Runs the renderer's loop for `seconds`; returns (frames drawn, CPU seconds used) in that time.
void RunLoopFor(double seconds, long long& frames, double& cpu) {
    const long long framesBefore = orvalis::FramesDrawn();
    const double cpuBefore = CpuSeconds();
    SetTimer(nullptr, 0, static_cast<UINT>(seconds * 1000.0), EndLoop);
    orvalis::RunMessageLoop();
    frames = orvalis::FramesDrawn() - framesBefore;
    cpu = CpuSeconds() - cpuBefore;
}

int Pacing(double seconds) {
    orvalis::SetRequestedSwapInterval(0);
    if (orvalis::CreateRenderWindow(orvalis::kRendererWindowTitle, 320, 240, false) ==
        orvalis::RenderWindowMode::kFailed) {
        std::fprintf(stderr, "render_bench: the render window could not be set up\n");
        return 1;
    }
    long long frames = 0;
    double cpu = 0.0;
    RunLoopFor(0.5, frames, cpu);  // warm-up
    RunLoopFor(seconds, frames, cpu);
    std::printf("paced loop, no swap interval, 320x240 window: %.1f fps (%.3f of a core)\n", frames / seconds,
                cpu / seconds);
    ShowWindow(orvalis::RenderWindowHandle(), SW_MINIMIZE);
    RunLoopFor(seconds, frames, cpu);
    std::printf("minimised: %lld frames, CPU %.3f s in %.1f s (%.4f of a core)\n", frames, cpu, seconds,
                cpu / seconds);
    orvalis::DestroyRenderWindow();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--pacing") == 0) return Pacing(argc > 2 ? std::atof(argv[2]) : 3.0);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    orvalis::SetRequestedSwapInterval(0);
    if (orvalis::CreateRenderWindow(orvalis::kRendererWindowTitle, 1024, 768, true) ==
        orvalis::RenderWindowMode::kFailed) {
        std::fprintf(stderr, "render_bench: the render window could not be set up\n");
        return 1;
    }
    std::printf("no swap interval asked: uncapped\n");
    std::printf("renderer: %s / %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));

    // Warm-up: first frames pay for shader and texture set-up in the driver.
    MeasureFps(0.5, orvalis::RenderFrame);
    MeasureFps(0.5, EmptyFrame);
    const size_t bytesBefore = PrivateBytes();

    double drawSum = 0.0;
    double emptySum = 0.0;
    for (int round = 0; round < rounds; ++round) {
        // Alternate so that a slow moment of the machine hits both sides alike.
        const double empty = MeasureFps(seconds, EmptyFrame);
        const double draw = MeasureFps(seconds, orvalis::RenderFrame);
        if (empty < 0.0 || draw < 0.0) break;
        std::printf("round %d: empty %.1f fps, drawing %.1f fps\n", round + 1, empty, draw);
        emptySum += empty;
        drawSum += draw;
    }
    const size_t bytesAfter = PrivateBytes();
    orvalis::DestroyRenderWindow();
    if (emptySum <= 0.0) return 1;

    const double emptyFps = emptySum / rounds;
    const double drawFps = drawSum / rounds;
    std::printf("empty frame fps:   %.1f\n", emptyFps);
    std::printf("drawing frame fps: %.1f\n", drawFps);
    std::printf("ratio drawing/empty: %.3f\n", drawFps / emptyFps);
    std::printf("private bytes after warm-up %zu, after drawing %zu (%+lld)\n", bytesBefore, bytesAfter,
                static_cast<long long>(bytesAfter) - static_cast<long long>(bytesBefore));
    return 0;
}
