#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Command.h"
#include "Document.h"

namespace pictoma {
namespace {

// A target whose table is filled by the test.
class Target : public CommandTarget {
public:
    using CommandTarget::AddCommand;
    using CommandTarget::AddUpdateRule;
};

TEST(CommandRouting, NoHandlerOnTheRouteMeansDisabled) {
    Target view, doc;
    CommandTarget* route[] = {&view, &doc};
    EXPECT_FALSE(QueryCommand(cmd::kFileSave, route).enabled);
    EXPECT_FALSE(DispatchCommand(cmd::kFileSave, route));
}

TEST(CommandRouting, HandlerLaterOnTheRouteEnablesAndRuns) {
    Target view, doc, app;
    std::vector<std::string> ran;
    doc.AddCommand(cmd::kFileSave, [&] { ran.push_back("doc"); });
    app.AddCommand(cmd::kFileSave, [&] { ran.push_back("app"); });
    CommandTarget* route[] = {&view, nullptr, &doc, &app};
    const CommandUi ui = QueryCommand(cmd::kFileSave, route);
    EXPECT_TRUE(ui.enabled);
    EXPECT_FALSE(ui.checked.has_value());
    EXPECT_TRUE(DispatchCommand(cmd::kFileSave, route));
    EXPECT_EQ(ran, std::vector<std::string>{"doc"});  // the first handler only
}

TEST(CommandRouting, FirstUpdateRuleOnTheRouteDecides) {
    Target view, doc;
    doc.AddCommand(cmd::kToolPen, [] {});
    doc.AddUpdateRule(cmd::kToolPen, [](CommandUi& ui) { ui.checked = true; });
    view.AddUpdateRule(cmd::kToolPen, [](CommandUi& ui) { ui.enabled = false; });

    CommandTarget* docOnly[] = {&doc};
    const CommandUi fromDoc = QueryCommand(cmd::kToolPen, docOnly);
    EXPECT_TRUE(fromDoc.enabled);
    EXPECT_EQ(fromDoc.checked, true);

    CommandTarget* both[] = {&view, &doc};
    const CommandUi fromView = QueryCommand(cmd::kToolPen, both);
    EXPECT_FALSE(fromView.enabled);
    EXPECT_FALSE(fromView.checked.has_value());
}

TEST(CommandRouting, LaterRegistrationReplacesTheEarlierOne) {
    Target t;
    int which = 0;
    t.AddCommand(cmd::kEditCrop, [&] { which = 1; });
    t.AddCommand(cmd::kEditCrop, [&] { which = 2; });
    CommandTarget* route[] = {&t};
    DispatchCommand(cmd::kEditCrop, route);
    EXPECT_EQ(which, 2);
}

// Views that carry their own commands, to check the router's route.
class View : public ViewBase {
public:
    using CommandTarget::AddCommand;
    using CommandTarget::AddUpdateRule;
    void OnUpdate(ViewBase*, long) override {}
    void InvalidateRect(const Rect&, bool) override {}
    void SetFocus() override {}
};
class Doc : public DocumentBase {
public:
    using CommandTarget::AddCommand;
};

TEST(CommandRouter, FollowsTheActiveViewAndItsDocument) {
    Doc doc;
    View preview, canvas;
    doc.AddView(preview);
    doc.AddView(canvas);
    Target frame, app;
    std::vector<std::string> ran;
    preview.AddCommand(cmd::kEditCrop, [&] { ran.push_back("crop"); });
    preview.AddUpdateRule(cmd::kIndicatorPane, [](CommandUi& ui) { ui.text = "preview"; });
    canvas.AddUpdateRule(cmd::kIndicatorPane, [](CommandUi& ui) { ui.text = "canvas"; });
    doc.AddCommand(cmd::kFileSave, [&] { ran.push_back("save"); });
    app.AddCommand(cmd::kFileNew, [&] { ran.push_back("new"); });

    CommandRouter router;
    router.SetFrame(&frame);
    router.SetApplication(&app);
    EXPECT_FALSE(router.Query(cmd::kFileSave).enabled);  // no active view: no document either
    EXPECT_TRUE(router.Query(cmd::kFileNew).enabled);

    router.SetActiveView(&preview);
    EXPECT_TRUE(router.Query(cmd::kEditCrop).enabled);
    EXPECT_TRUE(router.Query(cmd::kFileSave).enabled);
    EXPECT_EQ(router.Query(cmd::kIndicatorPane).text, "preview");

    router.SetActiveView(&canvas);
    EXPECT_FALSE(router.Query(cmd::kEditCrop).enabled);
    EXPECT_FALSE(router.Dispatch(cmd::kEditCrop));
    EXPECT_EQ(router.Query(cmd::kIndicatorPane).text, "canvas");
    EXPECT_TRUE(router.Dispatch(cmd::kFileSave));
    EXPECT_TRUE(router.Dispatch(cmd::kFileNew));
    EXPECT_EQ(ran, (std::vector<std::string>{"save", "new"}));
}

}  // namespace
}  // namespace pictoma
