#include "host/Panel.h"
#include "host/Script.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

using testing_support::TestHome;

namespace {

struct ScriptRun {
    std::vector<nlohmann::json> dumps;
    std::optional<orvessa::ScriptError> error;
};

ScriptRun runScript(const TestHome& home, const std::string& script)
{
    orvessa::Panel panel(testing_support::panelOptions(home.path()));
    std::ostringstream out;
    orvessa::ScriptRunner runner(panel, out);
    std::istringstream in(script);
    ScriptRun run;
    run.error = runner.run(in);
    std::istringstream lines(out.str());
    std::string line;
    while (std::getline(lines, line))
        run.dumps.push_back(nlohmann::json::parse(line));
    return run;
}

const nlohmann::json* findView(const nlohmann::json& view, const std::string& className)
{
    if (view.is_null())
        return nullptr;
    if (view["class"] == className)
        return &view;
    for (const auto& subview : view["subviews"]) {
        if (auto* found = findView(subview, className))
            return found;
    }
    return nullptr;
}

}

TEST(Script, DumpsFollowTheLifecycle)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG");
    home.addPhoto("IMG_0002.JPG");
    auto run = runScript(home, R"(# comments and blank lines are skipped

dump
create
dump
placeholder   # the row
dump
full
advance 5.25
dump
unload
dump
destroy
dump
)");
    ASSERT_FALSE(run.error);
    ASSERT_EQ(run.dumps.size(), 6u);
    EXPECT_TRUE(run.dumps[0]["controller"].is_null());
    EXPECT_TRUE(run.dumps[0]["row"].is_null());

    const auto& created = run.dumps[1]["controller"];
    EXPECT_EQ(created["initalized"], false);
    EXPECT_TRUE(created["images"].is_null());
    EXPECT_EQ(created["hasView"], false);

    const auto& row = run.dumps[2]["row"];
    EXPECT_EQ(row["class"], "UIView");
    EXPECT_EQ(row["frame"], nlohmann::json({ 2.0, 20.0, 316.0, 200.0 }));
    EXPECT_EQ(row["subviews"].size(), 1u);
    EXPECT_EQ(row["subviews"][0]["class"], "UIImageView");
    EXPECT_EQ(row["subviews"][0]["frame"], nlohmann::json({ 2.0, 0.0, 312.0, 200.0 }));

    const auto& playing = run.dumps[3];
    EXPECT_DOUBLE_EQ(playing["time"].get<double>(), 5.25);
    EXPECT_EQ(playing["controller"]["currentImage"], 1);
    EXPECT_EQ(playing["controller"]["transitioning"], true);
    EXPECT_EQ(playing["controller"]["images"].size(), 2u);
    ASSERT_EQ(playing["timers"].size(), 2u);
    EXPECT_EQ(playing["timers"][0]["action"], "resetTransitionBOOL:");
    EXPECT_EQ(playing["timers"][0]["repeats"], false);
    EXPECT_DOUBLE_EQ(playing["timers"][0]["fireDate"].get<double>(), 6.0);
    EXPECT_EQ(playing["timers"][1]["action"], "nextanim:");
    EXPECT_DOUBLE_EQ(playing["timers"][1]["fireDate"].get<double>(), 10.0);
    auto* picture = findView(playing["row"], "TransitionImageView");
    ASSERT_TRUE(picture);
    EXPECT_EQ((*picture)["frame"], nlohmann::json({ 5.0, 3.0, 306.0, 194.0 }));
    EXPECT_EQ((*picture)["gestureRecognizers"], nlohmann::json({ "UITapGestureRecognizer" }));
    EXPECT_TRUE((*picture)["image"].is_null()) << "its own image is null mid-fade";
    ASSERT_EQ((*picture)["subviews"].size(), 2u);
    double incoming = (*picture)["subviews"][1]["presentationAlpha"];
    EXPECT_GT(incoming, 0.0);
    EXPECT_LT(incoming, 1.0);
    auto* toolbar = findView(playing["row"], "UIToolbar");
    ASSERT_TRUE(toolbar);
    EXPECT_EQ((*toolbar)["items"], nlohmann::json({ "rewind", "flexibleSpace", "pause", "flexibleSpace", "fastForward" }));

    EXPECT_TRUE(run.dumps[4]["row"].is_null());
    EXPECT_EQ(run.dumps[4]["controller"]["playing"], false);
    EXPECT_EQ(run.dumps[4]["controller"]["initalized"], true);
    EXPECT_EQ(run.dumps[4]["timers"].size(), 1u) << "the lock release is still pending";
    EXPECT_TRUE(run.dumps[5]["controller"].is_null());
}

TEST(Script, TapsAlertsAndLinksShowInTheDump)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG");
    auto run = runScript(home, R"(create
placeholder
full
advance 1
tap 150 60
advance 0.6
tap 299.5 12.5
dump
dismiss
dump
)");
    ASSERT_FALSE(run.error) << run.error->message;
    ASSERT_EQ(run.dumps.size(), 2u);
    ASSERT_EQ(run.dumps[0]["alerts"].size(), 1u);
    EXPECT_EQ(run.dumps[0]["alerts"][0]["title"], "Settings");
    EXPECT_EQ(run.dumps[0]["alerts"][0]["buttons"], nlohmann::json({ "OK" }));
    EXPECT_TRUE(run.dumps[1]["alerts"].empty());
}

TEST(Script, ResizeWidensTheRowAndItsFlexibleChildren)
{
    TestHome home;
    auto run = runScript(home, "create\nplaceholder\nresize 400\ndump\n");
    ASSERT_FALSE(run.error);
    EXPECT_EQ(run.dumps[0]["row"]["frame"], nlohmann::json({ 2.0, 20.0, 400.0, 200.0 }));
    EXPECT_EQ(run.dumps[0]["row"]["subviews"][0]["frame"], nlohmann::json({ 2.0, 0.0, 396.0, 200.0 }));
}

TEST(Script, BadLinesStopWithTheirNumberAfterEarlierLinesRan)
{
    TestHome home;
    struct Case {
        std::string script;
        int line;
        std::string message;
    };
    for (const auto& [script, line, message] : std::vector<Case> {
             { "create\ndump\nfly away\n", 3, "unknown command 'fly'" },
             { "advance\n", 1, "usage: advance SECONDS" },
             { "advance soon\n", 1, "advance: 'soon' is not a number" },
             { "advance -1\n", 1, "advance: seconds must be from 0 to 86400" },
             { "advance nan\n", 1, "advance: 'nan' is not a number" },
             { "tap 1\n", 1, "usage: tap X Y" },
             { "tap 1 2x\n", 1, "tap: '2x' is not a number" },
             { "create extra\n", 1, "usage: create" },
             { "resize 0\n", 1, "resize: width must be from 1 to 10000 points" },
             { "dismiss\n", 1, "dismiss: no alert is shown" },
             { "snapshot out.png\n", 1, "snapshot: not yet supported" },
         }) {
        auto run = runScript(home, script);
        ASSERT_TRUE(run.error) << script;
        EXPECT_EQ(run.error->line, line) << script;
        EXPECT_EQ(run.error->message, message) << script;
    }
    EXPECT_EQ(runScript(home, "create\ndump\nfly away\ndump\n").dumps.size(), 1u) << "the dump before the bad line was printed";
}

TEST(Script, OutOfOrderCallsDoNotCrash)
{
    TestHome home;
    home.addPhoto("IMG_0001.JPG");
    auto run = runScript(home, R"(placeholder
full
tap 10 10
create
full
tap 150 100
advance 6
placeholder
full
full
unload
unload
destroy
destroy
dump
)");
    ASSERT_FALSE(run.error);
    EXPECT_TRUE(run.dumps.back()["controller"].is_null());
}
