#include <gtest/gtest.h>

#include "app/shell_state.h"
#include "support/scripted_window.h"

// The busy state must leave the link, the stop button and the tree usable,
// and must not make controls appear that don't exist.
TEST(BusyState, TogglesExactlyTheExistingControlsUpTo18) {
    scripted::Reset();
    ASSERT_TRUE(platform::OpenMainWindow("main", 450, 430));
    for (int id : {0, 3, 17, 18, 20, 21, 22}) {
        platform::CreateControl(0, id, platform::ControlKind::Button, 0, 0, 10, 10, "c");
    }
    platform::SetEnabled(17, false);
    platform::SetEnabled(21, false);

    app::EnterBusy();
    EXPECT_TRUE(app::g_shell.busy);
    for (int id : {0, 3, 17, 18}) EXPECT_FALSE(platform::IsEnabled(id)) << id;
    EXPECT_TRUE(platform::IsEnabled(20));
    EXPECT_TRUE(platform::IsEnabled(22));

    app::LeaveBusy();
    EXPECT_FALSE(app::g_shell.busy);
    for (int id : {0, 3, 17, 18}) EXPECT_TRUE(platform::IsEnabled(id)) << id;
    EXPECT_FALSE(platform::IsEnabled(21));  // outside the range: left alone
    EXPECT_FALSE(platform::ControlExists(1));
    EXPECT_EQ(platform::GetText(3), "c");
}
