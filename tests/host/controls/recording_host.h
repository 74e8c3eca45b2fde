// A CommandHost that draws nothing and remembers what the control asked for.
#pragma once

#include <string>
#include <vector>

#include "host/controls/command.h"

namespace orvalis::test {

struct GradientCall {
    int32_t x0, y0, x1, y1;
    GradientColour top, bottom;
};

struct PieceCall {
    FaceImage face;
    Rect source;
    Rect destination;
};

class RecordingHost : public CommandHost {
public:
    explicit RecordingHost(int32_t widthPixels = 77, int32_t heightPixels = 25)
        : width(widthPixels), height(heightPixels) {}

    Rect SurfacePixels() const override { return {0, 0, width, height}; }
    void ClearSurface() override { ++clears; }
    void FillGradient(int32_t x0, int32_t y0, const GradientColour& top, int32_t x1, int32_t y1,
                      const GradientColour& bottom) override {
        gradients.push_back({x0, y0, x1, y1, top, bottom});
    }
    void CopyPiece(FaceImage face, const Rect& source, const Rect& destination) override {
        // The eight pieces of one paint share their face: remember it once per paint.
        if (pieces.empty() || clears != clearsAtLastPiece) faces.push_back(face);
        clearsAtLastPiece = clears;
        pieces.push_back({face, source, destination});
    }
    void Present() override { ++presents; }
    void LabelChanged() override { ++labelChanges; }
    void StartHoverTimer(int intervalMs) override { timerIntervals.push_back(intervalMs); }
    void NotifyPropertyChanged(std::string_view key) override { notified.emplace_back(key); }
    FontRef AmbientFont() override { return ambient; }

    // Faces painted since the last call.
    std::vector<FaceImage> TakeFaces() {
        std::vector<FaceImage> out;
        out.swap(faces);
        return out;
    }

    int32_t width, height;
    int clears = 0;
    int clearsAtLastPiece = -1;
    int presents = 0;
    int labelChanges = 0;
    std::vector<GradientCall> gradients;
    std::vector<PieceCall> pieces;
    std::vector<FaceImage> faces;
    std::vector<int> timerIntervals;
    std::vector<std::string> notified;
    FontRef ambient = std::make_shared<ButtonFont>(ButtonFont{"Tahoma", 8.25, 400, false, false, false, 0});
};

}  // namespace orvalis::test
