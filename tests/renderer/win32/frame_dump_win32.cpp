// Draws frames through the renderer's real Windows shell, full screen at 1024 x 768, and writes the last one,
// read from the back buffer before its swap, as a picture file:
//   frame_dump OUT.ppm [FRAMES]          (default 200 frames)
// The texture is the host's own ring picture, written to the path the renderer reads.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/contract.h"
#include "common/texture_picture.h"
#include "renderer/scene/frame_capture.h"
#include "renderer/scene/image_write.h"
#include "renderer/win32/render_shell_win32.h"

namespace {

bool WriteTexturePicture() {
    const std::vector<uint8_t> bmp = orvalis::TexturePictureBmp();
    std::FILE* file = std::fopen("C:\\Tessalume.bmp", "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bmp.data(), 1, bmp.size(), file) == bmp.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: frame_dump OUT.ppm|OUT.png [FRAMES]\n");
        return 2;
    }
    const long frames = argc > 2 ? std::atol(argv[2]) : 200;
    if (frames < 1) {
        std::fprintf(stderr, "frame_dump: the frame count must be at least 1\n");
        return 2;
    }
    if (!WriteTexturePicture()) {
        std::fprintf(stderr, "frame_dump: cannot write C:\\Tessalume.bmp\n");
        return 1;
    }
    // The frames are counted, not timed: no swap interval, so the run takes as long as the drawing.
    orvalis::SetRequestedSwapInterval(0);
    if (orvalis::CreateRenderWindow(orvalis::kRendererWindowTitle, 1024, 768, true) ==
        orvalis::RenderWindowMode::kFailed) {
        std::fprintf(stderr, "frame_dump: the render window could not be set up\n");
        return 1;
    }
    RECT client{};
    GetClientRect(orvalis::RenderWindowHandle(), &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    std::vector<uint8_t> topDown;
    for (long frame = 1; frame <= frames; ++frame) {
        if (!orvalis::PumpMessages()) {
            std::fprintf(stderr, "frame_dump: the window was closed at frame %ld\n", frame);
            orvalis::DestroyRenderWindow();
            return 1;
        }
        orvalis::RenderFrame();
        if (frame == frames) {
            // The projection in force, for comparing the two platforms' GLU matrices when the pictures
            // differ.
            GLdouble projection[16];
            glGetDoublev(GL_PROJECTION_MATRIX, projection);
            std::printf("frame_dump: projection");
            for (const GLdouble value : projection) std::printf(" %.17g", value);
            std::printf("\n");
            topDown = orvalis::ReadFrameTopDown(width, height, GL_BACK);
        }
        orvalis::PresentFrame();
    }
    orvalis::DestroyRenderWindow();

    std::string error;
    if (!orvalis::WriteImageFile(argv[1], width, height, topDown, error)) {
        std::fprintf(stderr, "frame_dump: %s\n", error.c_str());
        return 1;
    }
    std::printf("frame_dump: frame %ld of %d x %d written to %s\n", frames, width, height, argv[1]);
    return 0;
}
