#include "core/FileNames.h"

#include <gtest/gtest.h>

using vendrel::FileNames;

TEST(FileNamesTest, TheNamePartFollowsTheLastSeparatorAndTheExtensionEndsAtTheLastDotAnywhere)
{
    const QString longName = QString(40000, u'd') + "/" + QString(40000, u'n'); // beyond 16-bit counts
    const struct
    {
        QString path, namePart, withoutExtension;
    } cases[] = {
        {"a/b:c\\d.e.f", "d.e.f", "a/b:c\\d.e"},
        {"C:.wrl", ".wrl", "C:"},
        {longName + ".wrl", QString(40000, u'n') + ".wrl", longName},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileNames::FileNamePart(c.path), c.namePart) << c.path.left(20).toStdString();
        EXPECT_EQ(FileNames::StripExtension(c.path), c.withoutExtension) << c.path.left(20).toStdString();
    }
}
