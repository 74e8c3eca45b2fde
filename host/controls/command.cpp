#include "host/controls/command.h"

#include <utility>

namespace orvalis {

namespace {

constexpr char kCreatedCaption[] = "Command";
// A saved set without a caption restores this one; a caption equal to kCreatedCaption is never saved.
constexpr char kLoadedCaption[] = "Command1";

}  // namespace

ButtonFont DefaultCaptionFont() {
    return ButtonFont{"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128};
}

Command::Command(CommandHost& host) : host_(host) {
    label_.font = std::make_shared<ButtonFont>(DefaultCaptionFont());
}

void Command::Initialize() {
    state_ = ButtonState::Normal;
    hoverTimerRunning_ = true;
    host_.StartHoverTimer(kHoverIntervalMs);
}

void Command::Caption(std::string_view newCaption) {
    label_.text = std::string(newCaption);
    host_.LabelChanged();
    host_.NotifyPropertyChanged("Caption");
}

void Command::Font(FontRef newFont) {
    if (newFont) label_.font = std::move(newFont);
    host_.LabelChanged();
    host_.NotifyPropertyChanged("Font");
}

int32_t Command::FontColour() {
    int32_t colour = label_.colour;
    ShowNormalLook();
    return colour;
}

void Command::FontColour(int32_t newFontColour) {
    label_.colour = newFontColour;
    host_.LabelChanged();
    ShowNormalLook();
    host_.NotifyPropertyChanged("FontColour");
}

bool Command::Enabled() {
    FirstTimeInitialisation();
    bool result = enabled_;
    ApplyEnabledLook();
    return result;
}

void Command::Enabled(bool newEnabled) {
    enabled_ = newEnabled;
    host_.NotifyPropertyChanged("Enabled");
    ApplyEnabledLook();
}

uint8_t Command::Visible() {
    if (!faceOpaque_) return 0;
    ShowNormalLook();
    return 255;
}

void Command::Visible(uint8_t newVisible) {
    if (newVisible != 0) {
        faceOpaque_ = true;
        host_.LabelChanged();
        ShowNormalLook();
    } else {
        faceOpaque_ = false;
        host_.LabelChanged();
    }
    host_.NotifyPropertyChanged("Visible");
}

// A control that was never restored from a saved set starts disabled; the first read of `Enabled`
// turns it on.
void Command::FirstTimeInitialisation() {
    if (firstRun_ != 0) return;
    ShowNormalLook();
    firstRun_ = 1;
    enabled_ = true;
}

void Command::RaiseClick() {
    if (Click) Click();
}

void Command::OnMouseMove() {
    if (!enabled_) return;
    if (state_ == ButtonState::Normal) {
        state_ = ButtonState::HighLight;
        PaintFace(FaceImage::HighLight);
    } else if (state_ == ButtonState::Selected && !leftButtonDown_) {
        state_ = ButtonState::HighLightSelect;
        PaintFace(FaceImage::HighLightSelect);
    }
}

void Command::OnMouseDown(int button) {
    if (!enabled_) return;
    if (button == kLeftButton) {
        leftButtonDown_ = true;
        PaintFace(FaceImage::Pressed);
    }
}

void Command::OnMouseUp(int button) {
    if (!enabled_) return;
    if (button == kLeftButton) {
        leftButtonDown_ = false;
        // A release in HighLight (the press did not bring the focus) shows Normal but keeps the state
        // until the pointer leaves.
        if (state_ == ButtonState::HighLight)
            PaintFace(FaceImage::Normal);
        else if (state_ == ButtonState::HighLightSelect)
            PaintFace(FaceImage::HighLightSelect);
    }
    // Leaving with the button held moved the state to Selected: that cancels the click.
    if (state_ != ButtonState::Selected) RaiseClick();
}

void Command::OnGotFocus() {
    if (!enabled_) return;
    if (state_ != ButtonState::HighLight) {
        state_ = ButtonState::Selected;
        PaintFace(FaceImage::Selected);
    } else {
        state_ = ButtonState::HighLightSelect;
        PaintFace(FaceImage::Pressed);
    }
}

void Command::OnLostFocus() {
    if (!enabled_) return;
    if (state_ != ButtonState::Normal) {
        state_ = ButtonState::Normal;
        PaintFace(FaceImage::Normal);
    }
}

void Command::PointerLeft() {
    if (!enabled_) return;
    if (state_ == ButtonState::HighLight) {
        state_ = ButtonState::Normal;
        PaintFace(FaceImage::Normal);
    } else if (state_ == ButtonState::HighLightSelect) {
        state_ = ButtonState::Selected;
        PaintFace(FaceImage::Selected);
    }
}

// Hover exit is polled: the caption has no window, so only the control's own window counts as over it.
void Command::OnHoverTick(HoverTarget underPointer) {
    if (!hoverTimerRunning_) return;
    if (underPointer != HoverTarget::Control) PointerLeft();
}

void Command::OnResize() {
    ApplyEnabledLook();
}

void Command::ApplyEnabledLook() {
    if (enabled_) {
        PaintFace(FaceImage::Normal);
        label_.enabled = true;
    } else {
        PaintFace(FaceImage::Disable);
        label_.enabled = false;
    }
    host_.LabelChanged();
}

void Command::ShowNormalLook() {
    if (!enabled_) return;
    label_.enabled = true;
    if (firstRun_ == 0) label_.colour = 0;
    host_.LabelChanged();
    PaintFace(FaceImage::Normal);
}

void Command::PaintFace(FaceImage face) {
    switch (state_) {
        case ButtonState::Normal:
            reverseGradient_ = false;
            break;
        case ButtonState::HighLight:
            reverseGradient_ = true;
            break;
        case ButtonState::Selected:
            reverseGradient_ = false;
            break;
        default:
            break;  // HighLightSelect and None keep the orientation of the previous paint
    }
    host_.ClearSurface();
    FillFaceGradient();

    const Rect surface = host_.SurfacePixels();
    const int32_t widthTwips = surface.width * kTwipsPerPixel;
    const int32_t heightTwips = surface.height * kTwipsPerPixel;
    const PixelPieces pieces = FacePiecesPixels(widthTwips, heightTwips);
    for (int i = 0; i < pieces.count; ++i)
        host_.CopyPiece(face, pieces.pieces[i].source, pieces.pieces[i].destination);
    host_.Present();

    label_.topTwips = CaptionTopTwips(heightTwips, label_.heightTwips);
    label_.leftTwips = 0;
    label_.widthTwips = widthTwips;
    host_.LabelChanged();
}

void Command::FillFaceGradient() {
    const GradientEnds ends = FaceGradientEnds(reverseGradient_);
    const Rect surface = host_.SurfacePixels();
    host_.FillGradient(0, 0, ends.top, surface.width - 1, surface.height - 1, ends.bottom);
    host_.Present();
}

void Command::LoadProperties(const PropertyStore& bag) {
    if (const PropertyValue* v = bag.Read("Enabled")) {
        if (auto b = ToBoolean(*v)) enabled_ = *b;
    } else {
        enabled_ = true;
    }
    if (const PropertyValue* v = bag.Read("Caption")) {
        if (auto text = ToText(*v)) label_.text = *text;
    } else {
        label_.text = kLoadedCaption;
    }
    if (const PropertyValue* v = bag.Read("Font")) {
        if (const ButtonFont* f = std::get_if<ButtonFont>(v)) label_.font = std::make_shared<ButtonFont>(*f);
    } else if (FontRef ambient = host_.AmbientFont()) {
        label_.font = std::make_shared<ButtonFont>(*ambient);
    }
    if (const PropertyValue* v = bag.Read("FirstRun")) {
        if (auto n = ToInteger(*v, 0, 255)) firstRun_ = static_cast<uint8_t>(*n);
    } else {
        firstRun_ = 1;
    }
    if (const PropertyValue* v = bag.Read("FontColour")) {
        if (auto n = ToInteger(*v, INT32_MIN, INT32_MAX)) label_.colour = static_cast<int32_t>(*n);
    } else {
        label_.colour = 0;
    }
    int64_t visible = 1;
    if (const PropertyValue* v = bag.Read("Visible")) {
        auto n = ToInteger(*v, INT16_MIN, INT16_MAX);
        visible = n ? *n : -1;  // unreadable: leave the opacity as it is
    }
    if (visible == 0) faceOpaque_ = false;
    if (visible == 1) faceOpaque_ = true;
    host_.LabelChanged();
    ShowNormalLook();
}

void Command::SaveProperties(PropertyStore& bag) {
    auto put = [&bag](std::string_view key, PropertyValue value, bool isDefault) {
        if (isDefault)
            bag.Erase(key);
        else
            bag.Write(key, std::move(value));
    };
    put("Enabled", enabled_, enabled_ == true);
    put("Caption", label_.text, label_.text == kCreatedCaption);
    put("FirstRun", int64_t{firstRun_}, firstRun_ == 1);
    // The caption's font is its own object, never the container's, so it is always stored.
    FontRef ambient = host_.AmbientFont();
    put("Font", label_.font ? *label_.font : ButtonFont{}, label_.font && label_.font == ambient);
    put("FontColour", int64_t{label_.colour}, label_.colour == 0);
    put("Visible", int64_t{faceOpaque_ ? 1 : 0}, faceOpaque_);
    ShowNormalLook();
}

}  // namespace orvalis
