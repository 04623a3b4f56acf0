#include "platform/XiteUrlSchemeHandler.h"

#include <gtest/gtest.h>

using vendrel::XiteUrlSchemeHandler;

// Which files are served is the WorldFileGate's rule (WorldGateTest); here only the addresses.
TEST(XiteUrlSchemeHandler, LocalFilesMapIntoThePagesOrigin)
{
    EXPECT_EQ(XiteUrlSchemeHandler::fileUrl(QStringLiteral("/w/a b/world.x3d")).toString(QUrl::FullyEncoded),
              "vendrel://local/file/w/a%20b/world.x3d");
    EXPECT_EQ(XiteUrlSchemeHandler::pageUrl().host(), "local");
}
