#include "host/controls/command.h"

#include <gtest/gtest.h>

#include "recording_host.h"

namespace orvalis {
namespace {

using test::RecordingHost;
using F = FaceImage;
using S = ButtonState;
using Faces = std::vector<FaceImage>;

class CommandTest : public ::testing::Test {
protected:
    CommandTest() {
        button.Click = [this] { ++clicks; };
    }

    // As a container brings up a new instance: the first read of Enabled turns it on, then Initialize.
    void Ready() {
        button.Enabled();
        button.Initialize();
        host.TakeFaces();
    }

    RecordingHost host;
    Command button{host};
    int clicks = 0;
};

TEST_F(CommandTest, NewControlStartsDisabledUntilEnabledIsFirstRead) {
    EXPECT_EQ(button.State(), S::None);
    EXPECT_FALSE(button.IsEnabled());
    EXPECT_EQ(button.FirstRun(), 0);
    EXPECT_EQ(button.Caption(), "Command");
    EXPECT_EQ(*button.Font(), DefaultCaptionFont());
    EXPECT_TRUE(button.FaceOpaque());
    EXPECT_FALSE(button.HoverTimerRunning());

    button.OnResize();
    EXPECT_EQ(host.TakeFaces(), Faces{F::Disable});
    EXPECT_FALSE(button.Label().enabled);

    EXPECT_TRUE(button.Enabled());
    EXPECT_EQ(button.FirstRun(), 1);
    EXPECT_EQ(host.TakeFaces(), Faces{F::Normal});
    EXPECT_TRUE(button.Label().enabled);
    EXPECT_EQ(button.State(), S::None);
}

TEST_F(CommandTest, InitializeStartsHoverTimerAndResetsState) {
    button.Initialize();
    EXPECT_EQ(button.State(), S::Normal);
    EXPECT_EQ(host.timerIntervals, std::vector<int>{100});
    EXPECT_TRUE(host.TakeFaces().empty());
    button.Enabled();
    button.OnGotFocus();
    button.Initialize();
    EXPECT_EQ(button.State(), S::Normal);
}

TEST_F(CommandTest, ClickOnUnfocusedControlRunsThroughAllFaces) {
    Ready();
    button.OnMouseMove();
    EXPECT_EQ(button.State(), S::HighLight);
    button.OnMouseMove();  // further moves repaint nothing
    EXPECT_EQ(host.TakeFaces(), Faces{F::HighLight});

    button.OnGotFocus();  // the press brings the focus first
    button.OnMouseDown(kLeftButton);
    EXPECT_EQ(button.State(), S::HighLightSelect);
    EXPECT_TRUE(button.LeftButtonDown());
    EXPECT_EQ(host.TakeFaces(), (Faces{F::Pressed, F::Pressed}));

    button.OnMouseUp(kLeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button.LeftButtonDown());
    EXPECT_EQ(host.TakeFaces(), Faces{F::HighLightSelect});

    button.OnHoverTick(HoverTarget::Control);
    EXPECT_EQ(button.State(), S::HighLightSelect);
    button.OnHoverTick(HoverTarget::Other);
    EXPECT_EQ(button.State(), S::Selected);
    EXPECT_EQ(host.TakeFaces(), Faces{F::Selected});
    button.OnHoverTick(HoverTarget::Parent);
    EXPECT_TRUE(host.TakeFaces().empty());
}

TEST_F(CommandTest, LeavingWithButtonHeldCancelsClick) {
    Ready();
    button.OnMouseMove();
    button.OnGotFocus();
    button.OnMouseDown(kLeftButton);
    button.OnHoverTick(HoverTarget::Parent);
    EXPECT_EQ(button.State(), S::Selected);
    host.TakeFaces();

    button.OnMouseMove();  // coming back while held does not highlight
    EXPECT_EQ(button.State(), S::Selected);
    button.OnMouseUp(kLeftButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(host.TakeFaces().empty());

    button.OnMouseMove();  // released: hovering works again
    EXPECT_EQ(button.State(), S::HighLightSelect);
}

TEST_F(CommandTest, LeftReleaseWithoutFocusShowsNormalButKeepsHighLight) {
    Ready();
    button.OnMouseMove();
    button.OnMouseDown(kLeftButton);
    button.OnMouseUp(kLeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button.State(), S::HighLight);
    EXPECT_EQ(host.TakeFaces(), (Faces{F::HighLight, F::Pressed, F::Normal}));
    button.PointerLeft();
    EXPECT_EQ(button.State(), S::Normal);
    EXPECT_EQ(host.TakeFaces(), Faces{F::Normal});
}

TEST_F(CommandTest, OtherButtonsClickWithoutPressedLook) {
    Ready();
    button.OnMouseMove();
    host.TakeFaces();
    for (int b : {kRightButton, kMiddleButton}) {
        button.OnMouseDown(b);
        EXPECT_FALSE(button.LeftButtonDown());
        button.OnMouseUp(b);
    }
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(host.TakeFaces().empty());

    // With the left button held, a right release neither clears the hold nor repaints.
    button.OnMouseDown(kLeftButton);
    button.OnMouseUp(kRightButton);
    EXPECT_TRUE(button.LeftButtonDown());
    EXPECT_EQ(clicks, 3);

    button.OnGotFocus();
    button.PointerLeft();
    ASSERT_EQ(button.State(), S::Selected);
    button.OnMouseUp(kRightButton);
    EXPECT_EQ(clicks, 3);
}

TEST_F(CommandTest, BeforeInitializeOnlyFocusMovesTheState) {
    button.Enabled();
    host.TakeFaces();
    button.OnMouseMove();
    button.OnHoverTick(HoverTarget::Other);
    EXPECT_EQ(button.State(), S::None);
    EXPECT_TRUE(host.TakeFaces().empty());

    button.OnGotFocus();
    EXPECT_EQ(button.State(), S::Selected);
    button.OnLostFocus();
    EXPECT_EQ(button.State(), S::Normal);
    EXPECT_EQ(host.TakeFaces(), (Faces{F::Selected, F::Normal}));
    // Still no hover exit: the timer has not been started.
    button.OnMouseMove();
    button.OnHoverTick(HoverTarget::Other);
    EXPECT_EQ(button.State(), S::HighLight);
}

TEST_F(CommandTest, FocusArrivingUnderPointerShowsPressedOverTintedTop) {
    Ready();
    button.OnMouseMove();
    EXPECT_TRUE(button.ReverseGradient());
    button.OnGotFocus();
    EXPECT_EQ(button.State(), S::HighLightSelect);
    EXPECT_EQ(host.TakeFaces(), (Faces{F::HighLight, F::Pressed}));
    EXPECT_TRUE(button.ReverseGradient());
    EXPECT_EQ(host.gradients.back().top, FaceGradientEnds(true).top);

    button.PointerLeft();
    EXPECT_EQ(host.TakeFaces(), Faces{F::Selected});
    EXPECT_FALSE(button.ReverseGradient());
    button.OnMouseMove();
    button.OnLostFocus();
    EXPECT_EQ(host.TakeFaces(), (Faces{F::HighLightSelect, F::Normal}));
    EXPECT_EQ(button.State(), S::Normal);

    // Reached from Selected, HighLightSelect keeps the white top, and so does the press.
    button.OnGotFocus();
    button.OnMouseMove();
    button.OnMouseDown(kLeftButton);
    EXPECT_FALSE(button.ReverseGradient());
    EXPECT_EQ(host.gradients.back().top, FaceGradientEnds(false).top);
}

TEST_F(CommandTest, DisabledControlIgnoresEverythingAndReenablesNormal) {
    Ready();
    button.OnGotFocus();
    host.TakeFaces();
    host.notified.clear();
    button.Enabled(false);
    EXPECT_EQ(host.notified, std::vector<std::string>{"Enabled"});
    EXPECT_EQ(host.TakeFaces(), Faces{F::Disable});
    EXPECT_FALSE(button.Label().enabled);

    button.OnMouseMove();
    button.OnMouseDown(kLeftButton);
    button.OnMouseUp(kLeftButton);
    button.OnMouseUp(kRightButton);
    button.OnLostFocus();
    button.OnGotFocus();
    button.OnHoverTick(HoverTarget::Other);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button.State(), S::Selected);
    EXPECT_FALSE(button.LeftButtonDown());
    EXPECT_TRUE(host.TakeFaces().empty());

    button.Enabled(true);
    EXPECT_EQ(host.TakeFaces(), Faces{F::Normal});
    EXPECT_EQ(button.State(), S::Selected);
    EXPECT_TRUE(button.Label().enabled);
}

TEST_F(CommandTest, PropertyReadsRepaintNormalWithoutTouchingState) {
    Ready();
    button.OnMouseMove();
    host.TakeFaces();
    EXPECT_EQ(button.FontColour(), 0);
    EXPECT_EQ(button.State(), S::HighLight);
    EXPECT_EQ(host.TakeFaces(), Faces{F::Normal});
    EXPECT_EQ(button.Visible(), 255);
    EXPECT_EQ(host.TakeFaces(), Faces{F::Normal});

    host.notified.clear();
    button.Visible(0);
    EXPECT_FALSE(button.FaceOpaque());
    EXPECT_EQ(button.Visible(), 0);
    EXPECT_TRUE(host.TakeFaces().empty());
    button.Visible(7);
    EXPECT_TRUE(button.FaceOpaque());
    EXPECT_EQ(host.TakeFaces(), Faces{F::Normal});

    button.Caption("設定");
    button.FontColour(0x0000FF);
    EXPECT_EQ(button.Label().colour, 0x0000FF);
    EXPECT_EQ(host.TakeFaces(), Faces{F::Normal});
    auto font = std::make_shared<ButtonFont>(DefaultCaptionFont());
    button.Font(font);
    font->underline = true;  // the label keeps the object itself
    EXPECT_TRUE(button.Font()->underline);
    EXPECT_EQ(host.notified,
              (std::vector<std::string>{"Visible", "Visible", "Caption", "FontColour", "Font"}));
}

TEST_F(CommandTest, PaintFaceLaysOutPiecesGradientAndCaption) {
    Ready();
    host.pieces.clear();
    host.gradients.clear();
    button.PaintFace(F::Selected);
    ASSERT_EQ(host.pieces.size(), 8u);
    EXPECT_EQ(host.pieces[1].destination, (Rect{4, 0, 69, 4}));
    EXPECT_EQ(host.pieces[7].destination, (Rect{0, 4, 4, 17}));
    ASSERT_EQ(host.gradients.size(), 1u);
    EXPECT_EQ(host.gradients[0].x1, 76);
    EXPECT_EQ(host.gradients[0].y1, 24);
    EXPECT_EQ(button.Label().topTwips, 80);
    EXPECT_EQ(button.Label().widthTwips, 1155);

    // Too small for edges: only what has a positive size is drawn, and nothing fails.
    RecordingHost tiny(6, 5);
    Command small(tiny);
    small.PaintFace(F::Normal);
    EXPECT_EQ(tiny.pieces.size(), 4u);
    EXPECT_EQ(tiny.gradients.size(), 1u);
}

// --- persisted properties -------------------------------------------------------------------------

class RecordingStore : public PropertyBag {
public:
    const PropertyValue* Read(std::string_view key) const override {
        reads.emplace_back(key);
        return PropertyBag::Read(key);
    }
    void Write(std::string_view key, PropertyValue value) override {
        writes.emplace_back(key);
        PropertyBag::Write(key, std::move(value));
    }
    mutable std::vector<std::string> reads;
    std::vector<std::string> writes;
};

TEST_F(CommandTest, EmptySetLoadsDefaultsInOrder) {
    RecordingStore bag;
    button.LoadProperties(bag);
    EXPECT_EQ(bag.reads,
              (std::vector<std::string>{"Enabled", "Caption", "Font", "FirstRun", "FontColour", "Visible"}));
    EXPECT_TRUE(button.IsEnabled());
    EXPECT_EQ(button.Caption(), "Command1");
    EXPECT_EQ(*button.Font(), *host.ambient);
    EXPECT_NE(button.Font(), host.ambient);
    EXPECT_EQ(button.FirstRun(), 1);
    EXPECT_TRUE(button.FaceOpaque());
    EXPECT_EQ(host.TakeFaces(), Faces{F::Normal});
}

TEST_F(CommandTest, SaveWritesOnlyNonDefaultsInOrder) {
    button.Enabled();
    RecordingStore bag;
    button.SaveProperties(bag);
    // "Command" is the save default, so a new control stores only its font.
    EXPECT_EQ(bag.writes, std::vector<std::string>{"Font"});

    button.Caption("ｷｬﾝｾﾙ");
    button.FontColour(0x123456);
    button.Visible(0);
    button.Enabled(false);
    bag.writes.clear();
    button.SaveProperties(bag);
    EXPECT_EQ(bag.writes, (std::vector<std::string>{"Enabled", "Caption", "Font", "FontColour", "Visible"}));
    EXPECT_EQ(std::get<std::string>(*bag.Read("caption")), "ｷｬﾝｾﾙ");
    EXPECT_EQ(std::get<int64_t>(*bag.Read("VISIBLE")), 0);

    // Values back at their defaults drop out of a reused set.
    button.Caption("Command");
    button.Enabled(true);
    button.SaveProperties(bag);
    EXPECT_EQ(bag.Read("Caption"), nullptr);
    EXPECT_EQ(bag.Read("Enabled"), nullptr);
}

TEST_F(CommandTest, SavedSetRoundTripsIntoAnotherInstance) {
    button.Enabled();
    button.Caption("設定");
    button.FontColour(0x00FF00);
    button.Font()->size = 12;
    PropertyBag bag;
    button.SaveProperties(bag);

    RecordingHost otherHost;
    Command other(otherHost);
    other.LoadProperties(bag);
    EXPECT_EQ(other.Caption(), "設定");
    EXPECT_EQ(other.Label().colour, 0x00FF00);
    EXPECT_EQ(other.Font()->size, 12);
    EXPECT_TRUE(other.IsEnabled());
    EXPECT_EQ(other.FirstRun(), 1);

    // The caption "Command" is not stored and comes back as "Command1".
    button.Caption("Command");
    PropertyBag second;
    button.SaveProperties(second);
    other.LoadProperties(second);
    EXPECT_EQ(other.Caption(), "Command1");
}

TEST_F(CommandTest, LoadedValuesAreConvertedOrLeftAlone) {
    PropertyBag bag;
    bag.Write("ENABLED", std::string("False"));
    bag.Write("caption", int64_t{42});
    bag.Write("FontColour", std::string("not a colour"));
    bag.Write("Visible", int64_t{2});
    bag.Write("Font", std::string("Arial"));
    button.FontColour(0x111111);
    button.LoadProperties(bag);
    EXPECT_FALSE(button.IsEnabled());
    EXPECT_EQ(button.Caption(), "42");
    EXPECT_EQ(button.Label().colour, 0x111111);
    EXPECT_TRUE(button.FaceOpaque());
    EXPECT_EQ(*button.Font(), DefaultCaptionFont());
    // No "FirstRun": a restored control is past its first-time initialisation and stays disabled.
    EXPECT_FALSE(button.Enabled());
    EXPECT_EQ(host.faces.back(), F::Disable);

    PropertyBag range;
    range.Write("FirstRun", int64_t{300});
    range.Write("Visible", int64_t{0});
    range.Write("Enabled", std::string("1"));
    button.LoadProperties(range);
    EXPECT_EQ(button.FirstRun(), 1);
    EXPECT_FALSE(button.FaceOpaque());
    EXPECT_TRUE(button.IsEnabled());
}

TEST_F(CommandTest, FirstRunZeroResetsCaptionColourOnNormalLook) {
    PropertyBag bag;
    bag.Write("FirstRun", int64_t{0});
    bag.Write("FontColour", int64_t{0xFF});
    button.LoadProperties(bag);
    EXPECT_EQ(button.Label().colour, 0);
    EXPECT_EQ(button.FirstRun(), 0);
    button.Enabled();
    EXPECT_EQ(button.FirstRun(), 1);
}

}  // namespace
}  // namespace orvalis
