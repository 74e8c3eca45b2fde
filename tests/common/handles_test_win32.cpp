// The holders that own windows and window classes give each back exactly once, after a move too.
#include <gtest/gtest.h>

#include <utility>

#include "common/handles_win32.h"

namespace {

constexpr char kClassName[] = "OrvalisHandlesTest";

bool ClassRegistered() {
    WNDCLASSA found{};
    return GetClassInfoA(GetModuleHandleA(nullptr), kClassName, &found) != 0;
}

WNDCLASSA TestClass() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    return windowClass;
}

TEST(RegisteredClassTest, UnregistersAtTheEndOfItsScope) {
    {
        const orvalis::RegisteredClass registered(TestClass());
        ASSERT_TRUE(registered.valid());
        EXPECT_TRUE(ClassRegistered());
    }
    EXPECT_FALSE(ClassRegistered());
}

TEST(RegisteredClassTest, AFailedRegistrationOwnsNothing) {
    const orvalis::RegisteredClass first(TestClass());
    ASSERT_TRUE(first.valid());
    {
        const orvalis::RegisteredClass second(TestClass());  // the name is taken
        EXPECT_FALSE(second.valid());
    }
    EXPECT_TRUE(ClassRegistered()) << "the failed holder must not unregister the first one's class";
}

TEST(RegisteredClassTest, AMoveHandsTheRegistrationOver) {
    orvalis::RegisteredClass target;
    {
        orvalis::RegisteredClass source(TestClass());
        target = std::move(source);
    }
    EXPECT_TRUE(ClassRegistered()) << "the moved-from holder must not unregister the class";
    EXPECT_TRUE(target.valid());
    target.reset();
    EXPECT_FALSE(ClassRegistered());
}

TEST(OwnedWindowTest, DestroysItsWindow) {
    const orvalis::RegisteredClass registered(TestClass());
    HWND window = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    { const orvalis::OwnedWindow owned(window); }
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
