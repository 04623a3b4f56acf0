#include "platform/XiteUrlSchemeHandler.h"

#include <gtest/gtest.h>

using vendrel::XiteUrlSchemeHandler;

TEST(XiteUrlSchemeHandler, OnlyWorldMaterialBelowTheFourthFolderAboveTheWorldIsServed)
{
    EXPECT_EQ(XiteUrlSchemeHandler::fileUrl(QStringLiteral("/w/a b/world.x3d")).toString(QUrl::FullyEncoded),
              "vendrel://local/file/w/a%20b/world.x3d");

    const char* const world = "/home/u/1/2/3/4/world.x3d"; // served from below /home/u
    const struct
    {
        const char* world; // "": a world from the web, or none yet
        const char* path;
        bool served;
    } rows[] = {
        {"", "/home/u/1/a.x3d", false},
        {world, "/home/u/a.x3d", true},
        {world, "/home/u/textures/Brick.PNG", true},
        {world, "/home/u/1/anim.wrl.gz", true},
        {world, "/home/u/1/../shaders/toon.glsl", true},
        {world, "/home/u/../../etc/passwd.png", false},
        {world, "/home/user2/a.x3d", false},
        {world, "/home/a.x3d", false},
        {world, "/home/u/.ssh/key.png", false},
        {world, "/home/u/.hidden.x3d", false},
        {world, "/home/u/notes.txt", false},
        {world, "/home/u/settings.ini", false},
        {world, "home/u/a.x3d", false},
        {"/a/world.x3d", "/etc/a.x3d", true}, // fewer folders above: from the root
    };
    XiteUrlSchemeHandler handler(QStringLiteral("/nowhere"));
    for (const auto& row : rows) {
        const QString worldPath = QString::fromUtf8(row.world);
        handler.setFileRoot(worldPath.isEmpty() ? QString() : XiteUrlSchemeHandler::fileRootFor(worldPath));
        EXPECT_EQ(handler.mayServe(QString::fromUtf8(row.path)), row.served) << row.world << " " << row.path;
    }
}
