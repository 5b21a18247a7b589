#include "LogCapture.h"
#include "VOKJSON.h"
#include "VOKJSONPrinter.h"
#include "VOKJSONStreamPrinter.h"

#include <QSize>

#include <gtest/gtest.h>

namespace {

QVariant parsed(const char *json)
{
    return vokJSONValue(QString::fromUtf8(json));
}

QString printed(const char *json, bool highlight = false)
{
    return vokPrettyPrintWithIndent(parsed(json), 0, highlight);
}

} // namespace

TEST(VOKJSONPrinter, WorkedExamples)
{
    struct Case {
        const char *json;
        bool highlight;
        const char *expected;
    };
    const Case cases[] = {
        {R"({"b":[1,"x"],"a":null})", false,
         "{\n    \"a\": null,\n    \"b\":     [\n        1,\n        \"x\"\n    ]\n}"},
        {R"({"b":[1,"x"],"a":null})", true,
         "{\n    [c:Brown]\"a\"[c:]: [c:Gray]null[c:],\n    [c:Brown]\"b\"[c:]:     [\n"
         "        [c:Blue]1[c:],\n        [c:Green]\"x\"[c:]\n    ]\n}"},
        // Booleans print as JSON booleans, not as 1 and 0.
        {R"({"k":{"n":true}})", false, "{\n    \"k\":     {\n        \"n\": true\n    }\n}"},
        {R"([[1],{"a":"q\"z"}])", false,
         "[\n        [\n        1\n    ],\n        {\n        \"a\": \"q\\\"z\"\n    }\n]"},
        {"{}", false, "{\n\n}"},
        {"[]", false, "[\n]"},
        {R"({"B":1,"a":2,"A":3})", false, "{\n    \"A\": 3,\n    \"B\": 1,\n    \"a\": 2\n}"},
        {R"([false,-0.5,1e300])", false, "[\n    false,\n    -0.5,\n    1e+300\n]"},
        // 64-bit integers stay exact.
        {"[9223372036854775807,-9223372036854775808,9007199254740993]", false,
         "[\n    9223372036854775807,\n    -9223372036854775808,\n    9007199254740993\n]"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(printed(c.json, c.highlight), QString::fromUtf8(c.expected)) << c.json;
}

TEST(VOKJSONPrinter, EscapesStringsAndKeysAsJSONRequires)
{
    const QVariantMap value{{QStringLiteral("k\"\\\n"), QStringLiteral("a\nb\tc\\d\"e\r\b\f\x01\x1f/")}};
    EXPECT_EQ(vokPrettyPrint(value),
              QStringLiteral("{\n    \"k\\\"\\\\\\n\": \"a\\nb\\tc\\\\d\\\"e\\r\\b\\f\\u0001\\u001f/\"\n}"));
}

TEST(VOKJSONPrinter, DataInHighlightedOutputIsNotMarkup)
{
    // The bracket of data is escaped for the markup; without highlighting the text is plain JSON.
    const QString highlighted = printed(R"({"[s:r.square]":"[c:Red]x"})", true);
    EXPECT_FALSE(highlighted.contains(QStringLiteral("[s:")) || highlighted.contains(QStringLiteral("[c:Red]")));
    EXPECT_EQ(printed(R"({"[s:r.square]":"[c:Red]x"})"),
              QStringLiteral("{\n    \"[s:r.square]\": \"[c:Red]x\"\n}"));
}

TEST(VOKJSONPrinter, ParsePrintParseGivesTheSameValue)
{
    const char *documents[] = {
        R"({"a":null,"b":[1,"x"],"c":{"d":true,"e":false}})",
        R"(["back\\slash","quote\"","nl\n","tab\t","cr\r","bs\b","ff\f","nul\u0000","us\u001f","é€😀"])",
        R"({"\"key\\\n":"v","":""})",
        R"([0,-1,1.5,-2.25e-7,1e21,9223372036854775807,-9223372036854775808,12345678901234567])",
        R"([[],{},[[[]]],{"x":{"y":{"z":[{}]}}}])",
        R"({"payload":"[c:Red]x","[s:r.square]":"]["})",
    };
    for (const char *document : documents) {
        const QVariant value = parsed(document);
        ASSERT_TRUE(value.isValid()) << document;
        const QString text = vokPrettyPrint(value);
        const QVariant again = vokJSONValue(text);
        EXPECT_EQ(again, value) << document << "\n" << text.toStdString();
        EXPECT_EQ(vokJSONValue(vokJSON(value)), value) << document;
    }
}

TEST(VOKJSONPrinter, IndentsAndPrintsAValueThatIsNoJSONAsAnEmptyBlock)
{
    EXPECT_EQ(vokPrettyPrintWithIndent(QVariantList{1}, 1, false), QStringLiteral("    [\n        1\n    ]"));
    EXPECT_EQ(vokPrettyPrintWithIndent(QVariant::fromValue(QSize(1, 2)), 1, false), QStringLiteral("{\n    }\n"));
}

TEST(VOKJSONPrinter, NestingBeyondAParsedValueStopsTheRecursion)
{
    LogCapture log;
    QVariant deep = QVariantList();
    for (int level = 0; level < 5000; ++level)
        deep = QVariantList{deep};
    const QString text = vokPrettyPrint(deep);
    EXPECT_TRUE(text.contains(QStringLiteral("null")));
    EXPECT_EQ(log.linesContaining(QStringLiteral("ASSERTION: JSON nested deeper than 1024")).size(), 1);
}

TEST(VOKJSONStreamPrinter, LaysOutDocumentsAsTheTreePrinterDoes)
{
    // Keys in order and values written canonically, so only the layout can differ.
    for (const char *json : {R"({"a":null,"b":[1,"x"]})", R"([[1],{"a":"q\"z"}])", "{}", "[]", R"({"k":{"n":true}})",
                             " [ { \"e\" : [ ] , \"f\" : { } } , -1.5e3 ]\n", R"("top")", "[\"[c:Red]\"]"}) {
        for (const bool highlight : {false, true}) {
            const VOKJSONStreamPrinter::Result result = VOKJSONStreamPrinter(highlight).print(json);
            EXPECT_TRUE(result.complete) << json;
            if (QByteArray(json).contains("e3"))
                EXPECT_TRUE(result.text.contains(QStringLiteral("-1.5e3"))) << "numbers stay as written";
            else
                EXPECT_EQ(result.text, vokPrettyPrintWithIndent(vokJSONFragmentValue(QByteArray(json)), 0, highlight))
                    << json;
        }
    }
}

TEST(VOKJSONStreamPrinter, StopsAtTheLimitBetweenCharacters)
{
    QByteArray big = "[";
    for (int index = 0; index < 10000; ++index)
        big += "{\"b\":" + QByteArray::number(index) + "},";
    big += "\"" + QByteArray(5000, 'x') + "\"]";
    const QString whole = VOKJSONStreamPrinter(false).print(big).text;
    const VOKJSONStreamPrinter::Result head = VOKJSONStreamPrinter(false, 1000).print(big);
    EXPECT_FALSE(head.complete);
    EXPECT_GE(head.text.size(), 1000);
    EXPECT_LT(head.text.size(), 1100);
    EXPECT_TRUE(whole.startsWith(head.text));

    // A string longer than the room left is cut, and never inside a character.
    const QByteArray umlauts = "\"" + QString(3000, QChar(0xfc)).toUtf8() + "\"";
    const VOKJSONStreamPrinter::Result cut = VOKJSONStreamPrinter(false, 1001).print(umlauts);
    EXPECT_FALSE(cut.complete);
    EXPECT_FALSE(cut.text.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(cut.text, QStringLiteral("\"") + QString(500, QChar(0xfc)));
}

TEST(VOKJSONStreamPrinter, TextThatIsNoJSONEndsWithoutHarm)
{
    for (const char *text : {"{\"a\":[1,", "]]}}", "\"open \\", "{\"k\" 1 2 3}", ":::", ""})
        EXPECT_TRUE(VOKJSONStreamPrinter(true).print(text).complete) << text;
    // Nesting far deeper than any call stack would take.
    const QByteArray deep = QByteArray(200000, '[') + QByteArray(200000, ']');
    EXPECT_TRUE(VOKJSONStreamPrinter(false, 4096).print(deep).text.startsWith(QStringLiteral("[\n        [\n")));
}
