#include "app/TryDock.h"
#include "core/FieldTypes.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace vendrel;

// What the boxes' texts become as the call's arguments: the page gets data, typed as the field wants it.
TEST(TryDockArguments, TextsBecomeTypedArguments)
{
    const struct
    {
        QStringList params, texts;
        int type;
        const char* json;
    } cases[] = {
        {{"x", "y", "z"}, {"1", " -2.5 ", "abc"}, SFVec3f, R"([1,-2.5,"abc"])"},
        {{"v"}, {"TRUE"}, SFBool, "[true]"},
        {{"v"}, {"12"}, SFString, R"(["12"])"},
        {{"v"}, {R"("quoted \" text")"}, SFTime, R"(["quoted \" text"])"},
        {{"arr"}, {"0 1 0, 0 2 0"}, MFVec3f, "[[[0,1,0],[0,2,0]]]"},
        {{"arr"}, {"0.5,1"}, MFFloat, "[[0.5,1]]"},
        {{"arr"}, {R"(["a", "b, c"])"}, MFString, R"([["a","b, c"]])"},
        {{"arr"}, {"a b, c"}, MFString, R"([["a b","c"]])"},
        {{"i", "x"}, {"2", ""}, MFVec2f, R"([2,""])"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            QJsonDocument(TryDock::argumentsOf(c.params, c.texts, c.type)).toJson(QJsonDocument::Compact),
            c.json)
            << c.texts.join(u'|').toStdString();
}
