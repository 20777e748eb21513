#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ShellResources.h"

namespace pictoma::shell {
namespace {

// The frame gives every toolbar button the action of its menu item: a button without one would
// have nothing to run and no state to show.
TEST(ShellResources, EveryToolbarButtonHasAMenuItemAndATip) {
    std::set<CommandId> inMenus;
    for (const MenuDef& menu : kMenuBar)
        for (const MenuItemDef& item : menu.items) {
            if (item.id != 0) {
                EXPECT_TRUE(inMenus.insert(item.id).second) << item.id;
            }
        }
    for (const ToolbarButtonDef& button : kToolbar) {
        if (button.id == 0) continue;
        EXPECT_TRUE(inMenus.count(button.id)) << button.id;
        const char* prompt = PromptOf(button.id);
        ASSERT_NE(prompt, nullptr) << button.id;
        EXPECT_NE(std::string(prompt).find('\n'), std::string::npos) << button.id;
    }
}

TEST(ShellResources, IndicatorPaneIsFortyBlanksWide) {
    EXPECT_EQ(std::string(kIndicatorWidthText), std::string(40, ' '));
}

}  // namespace
}  // namespace pictoma::shell
