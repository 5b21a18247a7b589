#include "MessageFactory.h"
#include "VDLMessageDifference.h"

#include <gtest/gtest.h>

namespace {

VOKMarkup differenceMarkup(const QByteArray &before, const QByteArray &after)
{
    return VDLMessageDifference::between(*makeMessage("t", before), *makeMessage("t", after));
}

// The markup with its data unescaped, so brackets in data read as they show.
QString difference(const QByteArray &before, const QByteArray &after)
{
    QString text;
    for (const VOKMarkup::Token &token : differenceMarkup(before, after).tokens())
        text += token.kind == VOKMarkup::Token::Kind::Color ? QStringLiteral("[c:%1]").arg(token.text) : token.text;
    return text;
}

} // namespace

TEST(VDLMessageDifference, ObjectsShowKeysAddedRemovedAndChangedAtAnyDepth)
{
    EXPECT_EQ(difference(R"({"a":1,"gone":"x","n":{"deep":{"v":1},"same":2},"list":[1,2],"kind":1,"obj":{"k":1}})",
                         R"({"a":2,"new":null,"n":{"deep":{"v":1.5},"same":2},"list":[1,3],"kind":"1","obj":[1]})"),
              QStringLiteral("[c:DarkOrange]~ a: 1 → 2[c:]\n"
                             "[c:Red]- gone: \"x\"[c:]\n"
                             "[c:DarkOrange]~ kind: 1 → \"1\"[c:]\n"
                             "[c:DarkOrange]~ list: [1,2] → [1,3][c:]\n"
                             "[c:DarkOrange]~ n.deep.v: 1 → 1.5[c:]\n"
                             "[c:Green]+ new: null[c:]\n"
                             "[c:DarkOrange]~ obj: {\"k\":1} → [1][c:]"));
    EXPECT_EQ(difference(R"({"a":1, "b":[2]})", R"({"b":[2],"a":1})"), QStringLiteral("[c:Gray]No key changed[c:]"));
    // Data never turns into markup.
    EXPECT_EQ(differenceMarkup(R"({"[c:Red]":1})", R"({})").plainText(), QStringLiteral("- [c:Red]: 1"));
}

TEST(VDLMessageDifference, OtherTextShowsTheLinesChangedWithSomeContext)
{
    QByteArray before;
    for (int line = 1; line <= 20; ++line)
        before += "line " + QByteArray::number(line) + '\n';
    QByteArray after = before;
    after.replace("line 10\n", "line ten\n");
    after += "line 21";
    EXPECT_EQ(difference(before, after),
              QStringLiteral("[c:Gray]… 6 unchanged lines[c:]\n"
                             "  line 7\n  line 8\n  line 9\n"
                             "[c:Red]- line 10[c:]\n"
                             "[c:Green]+ line ten[c:]\n"
                             "  line 11\n  line 12\n  line 13\n"
                             "[c:Gray]… 4 unchanged lines[c:]\n"
                             "  line 18\n  line 19\n  line 20\n"
                             "[c:Red]- [c:]\n"
                             "[c:Green]+ line 21[c:]"));
    EXPECT_EQ(difference("on", "on"), QStringLiteral("[c:Gray]No line changed[c:]"));
    // A JSON object against text, and an array, compare as text.
    EXPECT_EQ(difference("[1,2]", R"({"a":1})"), QStringLiteral("[c:Red]- [1,2][c:]\n[c:Green]+ {\"a\":1}[c:]"));
    EXPECT_EQ(difference(QByteArray("\x01\x02\x03", 3), QByteArray("\x01\x02\x04\x05", 4)),
              QStringLiteral("3 bytes before, 4 bytes now; they differ from byte 2 on"));
}

TEST(VDLMessageDifference, HugePayloadsGiveABoundedResult)
{
    QByteArray before;
    QByteArray after;
    for (int line = 0; line < 50'000; ++line) {
        before += QByteArray::number(line) + '\n';
        after += QByteArray::number(line * 7) + '\n';
    }
    const QString shown = difference(before, after);
    EXPECT_EQ(shown.count(QLatin1Char('\n')), VDLMessageDifference::MaximumLines);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("more[c:]")));
}
