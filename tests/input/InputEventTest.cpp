#include <gtest/gtest.h>

#include "Common/InputEvent.h"
#include "InputTestSupport.h"

namespace {

using InputTesting::Describe;
using InputTesting::ScriptedDevice;
using Zep::InputEvent;
using Strings = std::vector<std::string>;

TEST(InputEvent, TestsMatchKindDeviceAndComponent) {
    const InputEvent down(1, "MOUSE", 0, "LEFT_BUTTON"), up(2, "MOUSE", 0, "LEFT_BUTTON");
    const InputEvent repeat(3, "MOUSE", 0, "LEFT_BUTTON"), typed(4, "KEYBOARD", 0, "A");
    const InputEvent axis(5, "MOUSE", 0, "X"), virtualRepeat(3, "VIRTUAL", 0, "OK"), virtualAxis(5, "VIRTUAL", 0, "Y");
    const struct {
        const char* test;
        bool answer, expected;
    } cases[] = {
        {"down IsButtonDown", down.IsButtonDown("MOUSE", "LEFT_BUTTON"), true},
        {"down, other device", down.IsButtonDown("KEYBOARD", "LEFT_BUTTON"), false},
        {"names are case-sensitive", down.IsButtonDown("mouse", "LEFT_BUTTON"), false},
        {"repeat IsButtonDown", repeat.IsButtonDown("MOUSE", "LEFT_BUTTON"), false},
        {"repeat IsButtonDownOrRepeat", repeat.IsButtonDownOrRepeat("MOUSE", "LEFT_BUTTON"), true},
        {"up IsButtonUp", up.IsButtonUp("MOUSE", "LEFT_BUTTON"), true},
        {"IsCharacter ignores the component", typed.IsCharacter("KEYBOARD"), true},
        {"IsAnyOf2AxesChange second", axis.IsAnyOf2AxesChange("MOUSE", "Y", "X"), true},
        {"IsAnyOf3AxesChange none", axis.IsAnyOf3AxesChange("MOUSE", "A", "B", "C"), false},
        {"IsVirtualButtonDown on a physical event", down.IsVirtualButtonDown("LEFT_BUTTON"), false},
        {"IsVirtualButtonDownOrRepeat", virtualRepeat.IsVirtualButtonDownOrRepeat("OK"), true},
        {"IsVirtualAxisChange on a physical event", axis.IsVirtualAxisChange("X"), false},
        {"IsVirtualAnyOf3AxesChange third", virtualAxis.IsVirtualAnyOf3AxesChange("X", "Z", "Y"), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, c.answer) << c.test;
}

TEST(InputEvent, PayloadReadsOnlyForItsKindAndTheCharacterIsSigned) {
    EXPECT_EQ(Strings{" 0  0"}, Describe({InputEvent()}));
    for (int32_t kind = 0; kind <= 5; ++kind) {
        InputEvent axis(kind, "MOUSE", 1, "X"), typed(kind, "KEYBOARD", 0, "");
        axis.SetAxisValue(2.5f);
        typed.SetCharacter(static_cast<int8_t>(0xE9));
        const InputEvent copy(typed);
        EXPECT_EQ(kind == 5 ? 2.5f : 0.0f, axis.GetAxisValue()) << kind;
        EXPECT_EQ(kind == 4 ? -23 : 0, copy.GetCharacter()) << kind;
    }
}

TEST(InputDevice, AxisEventsFromAMoveOfAtLeastOneThousandthInNameOrder) {
    const struct {
        float from, to;
        bool emits;
    } cases[] = {{0.0f, 0.001f, true}, {0.0f, 0.0009f, false}, {0.001f, 0.0f, true}, {5.0f, 5.0f, false}};
    for (const auto& c : cases) {
        ScriptedDevice device("PAD", 2, {}, {"Y"});
        device.Move("Y", c.from);
        device.Update(true);
        device.Move("Y", c.to);
        device.Update(true);
        EXPECT_EQ(c.to, device.GetAxis("Y")->value) << c.from << " to " << c.to;
        EXPECT_EQ(c.from, device.GetAxis("Y")->prevValue) << c.from << " to " << c.to;
        EXPECT_EQ(c.emits ? Strings{Zep::Sprintf("PAD 2 Y 5 =%g", c.to)} : Strings{}, Describe(device.GetEvents()))
            << c.from << " to " << c.to;
    }

    ScriptedDevice device("PAD", 0, {}, {"Y", "X"});
    device.Move("Y", 2.0f);
    device.Move("X", 3.0f);
    device.Update(false);
    EXPECT_EQ((Strings{"PAD 0 X 5 =3", "PAD 0 Y 5 =2"}), Describe(device.GetEvents()));
}

}  // namespace
