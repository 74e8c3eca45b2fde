// Frames per second of the renderer's real window, context and frame, uncapped, against an empty frame
// (clear and swap only) in the same run and window; the ratio is what to compare between machines.
// Also reports the process's private bytes after warm-up and after the drawing rounds: they must match.
//   render_bench [SECONDS_PER_ROUND [ROUNDS]]     (needs C:\Tessalume.bmp, like the renderer)
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "renderer/render_shell_win32.h"

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

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    orvalis::SetRequestedSwapInterval(0);
    orvalis::colorBits = 16;
    if (!orvalis::CreateRenderWindow("Orvalis_VC", 1024, 768, orvalis::colorBits, orvalis::fullscreenMode)) {
        std::fprintf(stderr, "render_bench: the render window could not be set up\n");
        return 1;
    }
    std::printf("swap interval 0 %s\n",
                orvalis::SwapIntervalApplied() ? "applied" : "not offered (uncapped anyway)");
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
