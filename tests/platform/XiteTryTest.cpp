#include "platform/XiteTry.h"

#include <QVariant>

#include <gtest/gtest.h>

using namespace vendrel;

// The page's answers are the world's to forge: anything but a JSON text of bounded size is no answer,
// texts are cut, numbers that are no count or time become 0.
TEST(XiteTryAnswers, UntrustedAnswersAreBoundedAndNeverMoreThanData)
{
    const QString longText(5'000, u'x');
    const struct
    {
        QVariant reply;
        bool ok;
        qsizetype textLength;
    } answers[] = {
        {QStringLiteral(R"({"ok":true,"text":"1 2 3"})"), true, 5},
        {QString(QStringLiteral(R"({"ok":true,"text":")") + longText + u"\"}"), true, XiteTry::maxText},
        {QVariantMap{{"ok", true}, {"text", "a"}}, false, 0}, // an object, not JSON text
        {QStringLiteral("alert(1)"), false, 0},
        {QString(XiteTry::maxAnswer + 1, u' '), false, 0},
        {QStringLiteral(R"({"ok":false})"), false, 0},
    };
    for (const auto& a : answers) {
        const XiteTry::Answer answer = XiteTry::answerOf(a.reply);
        EXPECT_EQ(answer.ok, a.ok) << a.reply.toString().left(40).toStdString();
        EXPECT_EQ(answer.text.size(), a.textLength);
        EXPECT_EQ(answer.error.isEmpty(), a.ok);
    }

    QString entries;
    for (int i = 0; i < 30; ++i)
        entries += QStringLiteral(R"({"text":"%1","ms":1e300},)").arg(i);
    entries.chop(1);
    const auto logs =
        XiteTry::logsOf(QString(QStringLiteral(R"({"OnA":{"count":-5,"entries":[)") + entries + u"]}}"));
    ASSERT_TRUE(logs.contains(u"OnA"_qs));
    EXPECT_EQ(logs[u"OnA"_qs].count, 0);
    ASSERT_EQ(logs[u"OnA"_qs].entries.size(), XiteTry::maxLogEntries); // the newest ones
    EXPECT_EQ(logs[u"OnA"_qs].entries.back().text, u"29");
    EXPECT_EQ(logs[u"OnA"_qs].entries.back().ms, 0);
}
