#include "MessageFactory.h"
#include "VDLPayloadPreview.h"

#include <gtest/gtest.h>

namespace {

QString previewOf(const QByteArray &payload, qsizetype maxCharacters = VDLPayloadPreview::LineCharacters)
{
    return VDLPayloadPreview::preview(*makeMessage("t", payload), maxCharacters);
}

const QString Ellipsis(QChar(0x2026));

} // namespace

TEST(VDLPayloadPreview, JSONShowsItsCompactTextAsWritten)
{
    // White space goes between tokens, never inside strings; escapes stay as written.
    EXPECT_EQ(previewOf("{\n  \"battery\" : 97,\r\n\t\"name\": \"a \\\"b\\\" } c\",\n  \"list\": [ 1, 2 ]\n}\n\n"),
              QStringLiteral(R"({"battery":97,"name":"a \"b\" } c","list":[1,2]})"));
    EXPECT_EQ(previewOf(R"("<b>bold</b>\n[c:Red]")"), QStringLiteral(R"("<b>bold</b>\n[c:Red]")"));

    // A long document is cut on its first bytes, also when they are mostly white space.
    QByteArray numbers = "[";
    for (int index = 0; index < 100000; ++index)
        numbers += QByteArray::number(index) + ", ";
    numbers += "0]";
    const QString cut = previewOf(numbers);
    EXPECT_EQ(cut.size(), VDLPayloadPreview::LineCharacters + 1);
    EXPECT_TRUE(cut.startsWith(QStringLiteral("[0,1,2,3,"))) << qPrintable(cut);
    EXPECT_TRUE(cut.endsWith(Ellipsis));
    const QString indented = previewOf("[" + QByteArray(1 << 20, ' ') + "1]");
    EXPECT_EQ(indented, QStringLiteral("[") + Ellipsis);
}

TEST(VDLPayloadPreview, TextShowsControlCharactersAndMarkupAsData)
{
    EXPECT_EQ(previewOf("<b>bold</b>\r\nnext\tline\r[c:Red]&amp;"),
              QStringLiteral("<b>bold</b>\u23CEnext\u21E5line\u23CE[c:Red]&amp;"));
    EXPECT_EQ(VDLPayloadPreview::oneLine(QStringLiteral("a\u2028b") + QChar(0) + QChar(0x1B) + QChar(0x7F)),
              QStringLiteral("a\u23CEb\u2400\u241B\u2421"));

    // Cut within the limit, never inside a character.
    const QString accents = previewOf(QString(500, QChar(0xE9)).toUtf8(), 10);
    EXPECT_EQ(accents, QString(10, QChar(0xE9)) + Ellipsis);
    const QString emoji = QStringLiteral("\U0001F600");
    EXPECT_EQ(previewOf(emoji.repeated(1000).toUtf8(), 3), emoji + Ellipsis);
}

TEST(VDLPayloadPreview, RawDataShowsItsFirstBytesAndOtherClassesNothing)
{
    EXPECT_EQ(previewOf(QByteArray("\x89PNG\r\n\x1a\n\x00\x01", 10)), QStringLiteral("89 50 4e 47 0d 0a 1a 0a") + Ellipsis);
    EXPECT_EQ(previewOf(QByteArray("\x00\x1b", 2)), QStringLiteral("00 1b"));
    for (const QByteArray &payload : {QByteArray("21.5"), QByteArray("true"), QByteArray()})
        EXPECT_TRUE(previewOf(payload).isEmpty()) << payload.constData();
}
