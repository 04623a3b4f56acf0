#include "load/LoadCommand.h"

#include "CountingEventPump.h"
#include "RecordingMessageBox.h"
#include "RecordingWorldControls.h"
#include "ScriptedFileDialog.h"
#include "TreeDump.h"
#include "persistence/ModuleINI.h"
#include "scene/ModuleOrva.h"
#include "scene/SceneWalker.h"
#include "sim/SimBrowser.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

using namespace vendrel;
using Outcome = LoadCommand::Outcome;

namespace {

/// The load command with what it works with: a simulated browser, the tree and empty settings. The
/// browser's answers arrive whenever events run; `meanwhile` is what the user does once a load waits.
struct Rig
{
    explicit Rig(bool withBrowser = true)
    {
        browser->addWorld("t1.wrl", "Transform T1 { io SFVec3f translation }");
        browser->addWorld("clock.wrl", "TimeSensor Clock { io SFTime cycleInterval }");
        browser->refuse("refused", "Not an address");
        orva.browser = withBrowser ? browser : nullptr;
        settings.SetSettingsTarget();
        settings.WriteINI(ModuleINI::settingsKeyFile, {});
        events.onYield = [this] {
            if (events.yields > 10000)
                throw Failure("the wait never ends");
            if (meanwhile)
                std::exchange(meanwhile, nullptr)();
            QCoreApplication::processEvents();
        };
        command->attach();
    }
    std::shared_ptr<SimBrowser> browser = std::make_shared<SimBrowser>();
    ModuleOrva orva;
    SceneTree tree;
    ModuleINI settings;
    test::RecordingMessageBox messages;
    test::CountingEventPump events;
    std::function<void()> meanwhile;
    test::RecordingWorldControls controls;
    SceneWalker walker = SceneWalker(tree, orva, messages, events, [] { return 1; });
    std::unique_ptr<LoadCommand> command =
        std::make_unique<LoadCommand>(orva, walker, settings, messages, events, controls);
};

} // namespace

// A load, after a world or not, with the user acting while it waits or not: how it ends and what it leaves.
TEST(LoadCommand, EachWayALoadEnds)
{
    struct Case
    {
        const char *earlier, *address;
        std::function<void(Rig&)> meanwhile; // null: the browser answers at once
        Outcome outcome;
        QStringList messages;
        const char *remembered, *shown; // shown: the first node, "" for none
        const char* status;             // how the status line begins at the end
    };
    using enum Outcome;
    const auto load = [](const char* address, Outcome outcome) {
        return [=](Rig& rig) {
            EXPECT_EQ(rig.command->load(address), outcome) << address;
        };
    };
    const auto fail = [](Rig& rig) {
        rig.browser->fire(3);
    };
    const auto stop = [](Rig& rig) {
        rig.command->stop();
    };
    const auto leave = [](Rig& rig) {
        rig.command.reset();
    }; // the window closes and goes
    const QString missing = "Couldn't load missing.wrl\nCouldn't load \"missing.wrl\".";
    const QString refused = "Couldn't load refused\nNot an address";
    const char *t1 = "Transform T1", *clock = "TimeSensor Clock";
    const Case cases[] = {
        {"", "clock.wrl", {}, Loaded, {}, "clock.wrl", clock, "Loaded clock.wrl: 1 nodes, 5 items in "},
        {"t1.wrl", "clock.wrl", {}, Loaded, {}, "clock.wrl", clock, "Loaded clock.wrl: 1 nodes, "},
        {"", "missing.wrl", {}, Failed, {missing}, "", "", "Couldn't load missing.wrl"},
        {"t1.wrl", "missing.wrl", {}, Failed, {missing}, "t1.wrl", t1, "Couldn't load missing.wrl"},
        {"t1.wrl", "refused", {}, Failed, {refused}, "t1.wrl", t1, "Couldn't load refused"},
        {"t1.wrl", "slow.wrl", fail, Failed, {"Couldn't load slow.wrl"}, "t1.wrl", t1, "Couldn't load slow"},
        {"", "slow.wrl", load("clock.wrl", Loaded), Loaded, {}, "clock.wrl", clock, "Loaded clock.wrl"},
        {"", "slow.wrl", load("missing.wrl", Failed), Superseded, {missing}, "", "", "Couldn't load missing"},
        {"t1.wrl", "slow.wrl", stop, Abandoned, {}, "t1.wrl", t1, "Stopped loading slow.wrl"},
        {"", "slow.wrl", leave, Abandoned, {}, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.earlier) + " then " + c.address);
        Rig rig;
        if (*c.earlier)
            rig.command->load(c.earlier);
        rig.browser->setStalled(bool(c.meanwhile));
        int calls = 0;
        if (c.meanwhile)
            rig.meanwhile = [&] {
                EXPECT_TRUE(rig.command->isLoading() && rig.controls.loading);
                EXPECT_EQ(rig.controls.script, bool(*c.earlier)) << "the world shown stays usable";
                rig.browser->setStalled(false);
                calls = rig.controls.calls;
                c.meanwhile(rig);
            };
        LoadCommand* command = rig.command.get();
        EXPECT_EQ(command->load(c.address), c.outcome);
        EXPECT_TRUE(rig.events.waits > 0) << "waits without keeping a processor busy";
        if (!rig.command) {
            EXPECT_EQ(rig.controls.calls, calls) << "nothing touched once the command is gone";
            continue;
        }
        EXPECT_FALSE(command->isLoading());
        EXPECT_EQ(rig.messages.messages, c.messages);
        EXPECT_EQ(command->lastAddress(), c.remembered);
        EXPECT_EQ(test::dumpTree(rig.tree).value(1), *c.shown ? QString("Root_0 ") + c.shown : QString());
        EXPECT_EQ(rig.controls.script, bool(*c.shown));
        EXPECT_EQ(rig.controls.menus, bool(*c.shown));
        EXPECT_TRUE(rig.controls.status.startsWith(c.status)) << rig.controls.status.toStdString();
        EXPECT_FALSE(rig.controls.loading);
        EXPECT_EQ(command->load("t1.wrl"), Loaded) << "the next load is on its own";
    }
}

// A local world that asks for web material: the user is asked once per host and world; a yes lets the host
// through and loads the world again, during its load or after it.
TEST(LoadCommand, AWorldReachesAWebHostOnlyWithTheUsersLeave)
{
    Rig rig;
    rig.messages.answer = true;
    rig.meanwhile = [&] {
        rig.browser->refuseWeb("cdn.example");
        rig.browser->refuseWeb("cdn.example");
    };
    EXPECT_EQ(rig.command->load("t1.wrl"), Outcome::Loaded);
    rig.browser->refuseWeb("cdn.example");
    rig.messages.answer = false;
    rig.browser->refuseWeb("ads.example");
    rig.browser->refuseWeb("ads.example");
    EXPECT_EQ(rig.browser->allowedHosts, QStringList({"cdn.example"}));
    EXPECT_EQ(rig.browser->loadRequests(), QStringList({"t1.wrl", "t1.wrl"}));
    EXPECT_EQ(rig.messages.messages,
              QStringList({LoadCommand::webHostQuestion.arg("t1.wrl", "cdn.example"),
                           LoadCommand::webHostQuestion.arg("t1.wrl", "ads.example")}));

    rig.messages.answer = true; // another world asks anew, and once loaded it loads again at once
    EXPECT_EQ(rig.command->load("clock.wrl"), Outcome::Loaded);
    rig.browser->refuseWeb("cdn.example");
    EXPECT_EQ(rig.browser->loadRequests().size(), 4);
    EXPECT_EQ(rig.messages.messages.size(), 3);
}

TEST(LoadCommand, WithoutABrowserObjectStartUpAndEveryLoadSaySo)
{
    Rig rig(false);
    EXPECT_EQ(rig.command->load("t1.wrl"), Outcome::Failed);
    EXPECT_EQ(rig.messages.messages, QStringList(2, "Couldn't get browser object"));
    EXPECT_TRUE(rig.controls.menus && !rig.controls.script) << "the menus are left as the window made them";
}

TEST(LoadCommand, ChooseWorldOffersTheAddressOrForAWebAddressTheCurrentFolder)
{
    const QString cases[][4] = {
        // address, answer ("" cancels), offered, chosen
        {"http://example.org/w.wrl", "", QDir::currentPath(), ""},
        {"HTTP://example.org/w.wrl", "", "HTTP://example.org/w.wrl", ""},
        {"a.wrl", "sub/b.wrl", "a.wrl", QDir::current().absoluteFilePath("sub/b.wrl")},
    };
    for (const auto& c : cases) {
        test::ScriptedFileDialog dialog;
        dialog.answers = {c[1].isEmpty() ? std::nullopt : std::optional(c[1])};
        EXPECT_EQ(LoadCommand::chooseWorld(c[0], dialog).value_or(QString()), c[3]);
        const FileDialogRequest& asked = dialog.calls.at(0).request;
        EXPECT_EQ(asked.initialFileName + u' ' + asked.filter + asked.defaultExtension,
                  c[2] + " X3D (*.wrl;*.x3d;*.x3dv)|*.wrl;*.x3d;*.x3dv;*.wrl.gz;*.wrz;*.x3d.gz;*.x3dz;"
                         "*.x3dv.gz;*.x3dvz|All files (*)|*|.wrl");
    }
}
