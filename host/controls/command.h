// `Command`, the saver's own push button: an owner-drawn face with a caption, hover and focus feedback and
// one event, `Click`. This is the whole behaviour; the window that hosts it only turns messages into calls
// (see command_win32.h) and supplies the drawing primitives through `CommandHost`.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "host/controls/face_geometry.h"
#include "host/controls/face_pictures.h"
#include "host/controls/property_bag.h"

namespace orvalis {

enum class ButtonState : uint8_t { None = 0, Normal = 1, HighLight = 2, Selected = 3, HighLightSelect = 4 };

// Mouse buttons as the events report them.
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;

constexpr int kHoverIntervalMs = 100;

// Which window the pointer is over at a hover tick.
enum class HoverTarget { Control, Parent, Other };

using FontRef = std::shared_ptr<ButtonFont>;

// The caption font a new control starts with: 9.75 pt, normal weight, Shift-JIS.
ButtonFont DefaultCaptionFont();

// What the control needs from its window and container.
class CommandHost {
public:
    virtual ~CommandHost() = default;
    // The drawing surface (a retained bitmap the size of the control).
    virtual Rect SurfacePixels() const = 0;
    virtual void ClearSurface() = 0;
    // A vertical gradient over the rectangle from `top` to `bottom` (GRADIENT_FILL_RECT_V).
    virtual void FillGradient(int32_t x0, int32_t y0, const GradientColour& top, int32_t x1, int32_t y1,
                              const GradientColour& bottom) = 0;
    // A plain stretching copy of part of a face picture onto the surface (pixels).
    virtual void CopyPiece(FaceImage face, const Rect& source, const Rect& destination) = 0;
    // Shows the retained surface on screen.
    virtual void Present() = 0;
    // The caption label's text, font, colour, enabled look or place changed, or the face's opacity.
    virtual void LabelChanged() = 0;
    virtual void StartHoverTimer(int intervalMs) = 0;
    virtual void NotifyPropertyChanged(std::string_view key) = 0;
    // The container's default font, used as the default of "Font".
    virtual FontRef AmbientFont() = 0;
};

// The windowless caption label drawn over the face.
struct CaptionLabel {
    std::string text = "Command";  // UTF-8
    FontRef font;
    int32_t colour = 0;  // 0x00BBGGRR
    bool enabled = true;
    double topTwips = 0;
    int32_t leftTwips = 0;
    int32_t widthTwips = 0;
    int32_t heightTwips = kCaptionHeightTwips;
};

class Command {
public:
    explicit Command(CommandHost& host);

    void Initialize();

    std::string Caption() const { return label_.text; }
    void Caption(std::string_view newCaption);
    // The label's own font object: changes made through it show at the next caption draw.
    FontRef Font() const { return label_.font; }
    void Font(FontRef newFont);
    int32_t FontColour();
    void FontColour(int32_t newFontColour);
    bool Enabled();
    void Enabled(bool newEnabled);
    uint8_t Visible();
    void Visible(uint8_t newVisible);

    std::function<void()> Click;

    // Events from the window. Mouse events over the caption arrive here too: it has no window.
    void OnMouseMove();
    void OnMouseDown(int button);
    void OnMouseUp(int button);
    void OnGotFocus();
    void OnLostFocus();
    void OnHoverTick(HoverTarget underPointer);
    void PointerLeft();
    void OnResize();

    void ApplyEnabledLook();
    void ShowNormalLook();
    void PaintFace(FaceImage face);
    void FillFaceGradient();

    void LoadProperties(const PropertyStore& bag);
    void SaveProperties(PropertyStore& bag);

    // Read-only views for the window and for tests; unlike the properties they have no side effects.
    ButtonState State() const { return state_; }
    bool IsEnabled() const { return enabled_; }
    uint8_t FirstRun() const { return firstRun_; }
    bool LeftButtonDown() const { return leftButtonDown_; }
    bool ReverseGradient() const { return reverseGradient_; }
    bool FaceOpaque() const { return faceOpaque_; }
    bool HoverTimerRunning() const { return hoverTimerRunning_; }
    const CaptionLabel& Label() const { return label_; }

private:
    void FirstTimeInitialisation();
    void RaiseClick();

    CommandHost& host_;
    CaptionLabel label_;
    ButtonState state_ = ButtonState::None;
    bool enabled_ = false;
    uint8_t firstRun_ = 0;
    bool leftButtonDown_ = false;
    bool reverseGradient_ = false;
    bool faceOpaque_ = true;
    bool hoverTimerRunning_ = false;
};

}  // namespace orvalis
