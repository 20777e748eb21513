#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>

#include "ActionMirror.h"

namespace pictoma {
namespace {

class Target : public CommandTarget {
public:
    using CommandTarget::AddCommand;
    using CommandTarget::AddUpdateRule;
};

class PaneView : public ViewBase {
public:
    explicit PaneView(std::string text) {
        AddUpdateRule(cmd::kIndicatorPane, [t = std::move(text)](CommandUi& ui) { ui.text = t; });
    }
    void OnUpdate(ViewBase*, long) override {}
    void InvalidateRect(const Rect&, bool) override {}
    void SetFocus() override {}
};

TEST(ActionMirror, ActionsFollowTheRulesAndDispatch) {
    Target app;
    bool pen = true;
    app.AddCommand(cmd::kToolPen, [&] { pen = true; });
    app.AddUpdateRule(cmd::kToolPen, [&](CommandUi& ui) { ui.checked = pen; });
    app.AddCommand(cmd::kToolRubber, [&] { pen = false; });
    app.AddUpdateRule(cmd::kToolRubber, [&](CommandUi& ui) { ui.checked = !pen; });

    CommandRouter router;
    router.SetApplication(&app);
    ActionMirror mirror(router);
    QAction penAction, rubberAction, saveAction;
    mirror.Bind(cmd::kToolPen, &penAction);
    mirror.Bind(cmd::kToolRubber, &rubberAction);
    mirror.Bind(cmd::kFileSave, &saveAction);
    mirror.Refresh();
    EXPECT_TRUE(penAction.isChecked());
    EXPECT_FALSE(rubberAction.isChecked());
    EXPECT_FALSE(saveAction.isEnabled());  // nobody handles Save here

    rubberAction.trigger();
    EXPECT_FALSE(pen);
    EXPECT_FALSE(penAction.isChecked());
    EXPECT_TRUE(rubberAction.isChecked());

    rubberAction.trigger();  // triggering the checked one toggles it in Qt; the rule puts it back
    EXPECT_TRUE(rubberAction.isChecked());
}

TEST(ActionMirror, PaneShowsTheActiveViewsText) {
    PaneView canvas("X=1 , y=2"), preview("Select: Width=0,Height=0");
    CommandRouter router;
    ActionMirror mirror(router);
    QLabel pane;
    mirror.BindPane(cmd::kIndicatorPane, &pane);
    mirror.Refresh();
    EXPECT_EQ(pane.text(), "");
    router.SetActiveView(&preview);
    mirror.Refresh();
    EXPECT_EQ(pane.text(), "Select: Width=0,Height=0");
    router.SetActiveView(&canvas);
    mirror.Refresh();
    EXPECT_EQ(pane.text(), "X=1 , y=2");
}

}  // namespace
}  // namespace pictoma
