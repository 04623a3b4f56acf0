#include "persistence/RecentWorlds.h"

#include "FileBytes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

// Newest first, each once, ten at most, in their own section beside the address loaded last.
TEST(RecentWorldsTest, NewestFirstEachOnceTenAtMostBesideTheSettings)
{
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    ModuleINI ini;
    ini.SetSettingsTarget();
    ASSERT_TRUE(ini.WriteINI(ModuleINI::settingsKeyFile, "b.wrl"));
    RecentWorlds recent(ini);
    EXPECT_EQ(recent.list(), QStringList());
    for (const char* address : {"a.wrl", "b.wrl", "a.wrl"})
        ASSERT_TRUE(recent.add(address));
    EXPECT_EQ(recent.list(), QStringList({"a.wrl", "b.wrl"}));
    EXPECT_EQ(test::fileBytes(folder.filePath("X3DVendrel")),
              "[settings]\nfile=b.wrl\n[Recent Worlds]\nworld1=a.wrl\nworld2=b.wrl\n");
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(recent.add(QStringLiteral("w%1.x3d").arg(i)));
    EXPECT_EQ(recent.list().size(), RecentWorlds::most);
    EXPECT_EQ(recent.list().front(), "w11.x3d");
    EXPECT_EQ(ini.ReadINI(ModuleINI::settingsKeyFile, ""), "b.wrl") << "the target is back on the settings";
}

} // namespace
