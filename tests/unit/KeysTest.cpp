// The keyboard commands of the main window.
#include "tests/unit/Harness.h"

namespace zylora::testing {
namespace {

using platform::ShiftState;
namespace keys = platform::keys;

constexpr ShiftState Ctrl{false, true, false};

class KeysTest : public ViewerTest {
protected:
    void SetUp() override { Start(); }
    void Press(int key, ShiftState shift) { MainForm().Events().KeyDown(key, shift); }
};

TEST_F(KeysTest, CtrlMAndCtrlHMinimise) {
    Press(keys::M, Ctrl);
    Press(keys::H, Ctrl);
    EXPECT_EQ(platform.minimizations, 2);
    EXPECT_EQ(platform.closes, 0);
}

TEST_F(KeysTest, CtrlWClosesAndCtrlQTerminates) {
    Press(keys::W, Ctrl);
    EXPECT_EQ(platform.closes, 1);
    EXPECT_EQ(platform.terminations, 0);
    Press(keys::Q, Ctrl);
    EXPECT_EQ(platform.terminations, 1);
}

TEST_F(KeysTest, OnlyCtrlAloneCounts) {
    for (ShiftState shift : {ShiftState{}, ShiftState{true, true, false}, ShiftState{false, true, true},
                             ShiftState{false, false, true}, ShiftState{true, false, false}}) {
        for (int key : {keys::M, keys::H, keys::W, keys::Q, keys::BackQuote}) Press(key, shift);
    }
    Press(0x41, Ctrl);  // Ctrl+A means nothing
    EXPECT_EQ(platform.minimizations, 0);
    EXPECT_EQ(platform.closes, 0);
    EXPECT_EQ(platform.terminations, 0);
    EXPECT_TRUE(platform.switchedTo.empty());
}

TEST_F(KeysTest, KeysReachingAFrameWindowActLikeOnTheMainWindow) {
    FormOf(*main->TopFrame).Events().KeyDown(keys::W, Ctrl);
    EXPECT_EQ(platform.closes, 1);
}

TEST_F(KeysTest, CtrlBackQuoteSwitchesToAnotherInstanceNeverToItself) {
    Press(keys::BackQuote, Ctrl);
    EXPECT_TRUE(platform.switchedTo.empty());  // alone: nothing happens

    platform.foreignWindows = {{"TfrmMiddle", 0x1234}, {"TfrmMiddle", 0x5678}};
    Press(keys::BackQuote, Ctrl);
    EXPECT_EQ(platform.switchedTo, (std::vector<platform::ForeignWindow>{0x1234}));
}

TEST_F(KeysTest, AnInstanceFoundBeforeOurOwnIsTakenFirst) {
    // A second viewer whose window lies above ours in z-order.
    fake::FakePlatform& p = platform;
    auto other = p.CreateForm({"TfrmMiddle", false});
    std::rotate(p.windows.begin(), p.windows.end() - 1, p.windows.end());
    Press(keys::BackQuote, Ctrl);
    EXPECT_EQ(p.switchedTo, (std::vector<platform::ForeignWindow>{p.IdentityOf(*other)}));
}

}  // namespace
}  // namespace zylora::testing
