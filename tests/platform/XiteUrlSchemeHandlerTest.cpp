#include "platform/XiteUrlSchemeHandler.h"

#include <gtest/gtest.h>

using vendrel::XiteUrlSchemeHandler;

TEST(XiteUrlSchemeHandler, LocalFilesMapIntoThePagesOrigin)
{
    EXPECT_EQ(XiteUrlSchemeHandler::fileUrl(QStringLiteral("/w/a b/world.x3d")).toString(QUrl::FullyEncoded),
              "vendrel://local/file/w/a%20b/world.x3d");
    EXPECT_EQ(XiteUrlSchemeHandler::pageUrl().host(), "local");
    EXPECT_EQ(XiteUrlSchemeHandler::fileRootFor(QStringLiteral("/a/b/c/d/e/f/world.wrl")), "/a/b");
    EXPECT_EQ(XiteUrlSchemeHandler::fileRootFor(QStringLiteral("/a/world.wrl")), "/");
}

TEST(XiteUrlSchemeHandler, OnlyWorldMaterialBelowTheRootIsServed)
{
    XiteUrlSchemeHandler handler(QStringLiteral("/nowhere"));
    EXPECT_FALSE(handler.mayServe(QStringLiteral("/home/u/worlds/a.x3d"))) << "no local world loaded";

    handler.setFileRoot(QStringLiteral("/home/u"));
    EXPECT_TRUE(handler.mayServe(QStringLiteral("/home/u/worlds/a.x3d")));
    EXPECT_TRUE(handler.mayServe(QStringLiteral("/home/u/worlds/textures/Brick.PNG")));
    EXPECT_TRUE(handler.mayServe(QStringLiteral("/home/u/worlds/anim.wrl.gz")));
    EXPECT_TRUE(handler.mayServe(QStringLiteral("/home/u/worlds/../shaders/toon.glsl")));
    EXPECT_FALSE(handler.mayServe(QStringLiteral("/home/u/../../etc/passwd.png")))
        << "climbs out of the root";
    EXPECT_FALSE(handler.mayServe(QStringLiteral("/home/user2/a.x3d"))) << "a sibling that shares the prefix";
    EXPECT_FALSE(handler.mayServe(QStringLiteral("/home/u/.ssh/id_rsa")));
    EXPECT_FALSE(handler.mayServe(QStringLiteral("/home/u/.ssh/key.png"))) << "hidden folder";
    EXPECT_FALSE(handler.mayServe(QStringLiteral("/home/u/.hidden.x3d")));
    EXPECT_FALSE(handler.mayServe(QStringLiteral("/home/u/notes.txt")));
    EXPECT_FALSE(handler.mayServe(QStringLiteral("/home/u/settings.ini")));
    EXPECT_FALSE(handler.mayServe(QStringLiteral("relative/a.x3d")));

    handler.setFileRoot(QString());
    EXPECT_FALSE(handler.mayServe(QStringLiteral("/home/u/worlds/a.x3d")))
        << "a world from the web reads none";
}
