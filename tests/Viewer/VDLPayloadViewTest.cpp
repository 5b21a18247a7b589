#include "MessageFactory.h"
#include "VDLHexView.h"
#include "VDLPayloadView.h"
#include "VDLTextView.h"
#include "VOKJSONStreamPrinter.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextDocument>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace {

// An upper bound only: under the sanitizers styling a large payload takes many times longer.
constexpr int workerTimeout = 60000;

QByteArray bigJSON(qsizetype size)
{
    QByteArray json = "[";
    for (int index = 0; json.size() < size; ++index)
        json += R"({"id":)" + QByteArray::number(index) + R"(,"name":"sensor","on":true},)";
    json.chop(1);
    return json + "]";
}

// Lets every worker finish and its result arrive.
bool settle(const VDLPayloadView &view)
{
    return QTest::qWaitFor([&] { return !view.isPreparing(); }, workerTimeout);
}

std::set<QRgb> foregroundColours(const QTextDocument &document)
{
    std::set<QRgb> colours;
    for (QTextBlock block = document.begin(); block.isValid() && block.blockNumber() < 20; block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            colours.insert(fragment.fragment().charFormat().foreground().color().rgba());
    }
    return colours;
}

} // namespace

TEST(VDLPayloadView, ALargePayloadShowsItsStartStyledAndTheWholeAsPlainTextOnRequest)
{
    VDLPayloadView view;
    const QByteArray json = bigJSON(600 * 1024);
    QSignalSpy shown(&view, &VDLPayloadView::contentShown);
    view.showMessage(makeMessage("t", json));
    ASSERT_TRUE(shown.wait(workerTimeout));
    const QString head = view.text();
    EXPECT_GE(head.size(), VDLPayloadView::StyledLimit);
    EXPECT_LT(head.size(), VDLPayloadView::StyledLimit + 100);
    const QString whole = VOKJSONStreamPrinter(false).print(json).text;
    EXPECT_TRUE(whole.startsWith(head));
    EXPECT_GE(foregroundColours(*view.textView()->document()).size(), 3u) << "keys, numbers and strings coloured";
    EXPECT_FALSE(view.wholePayloadButton()->isHidden());
    EXPECT_EQ(view.wholePayloadButton()->text(), QStringLiteral("Show the whole payload (0.6 MB)"));

    view.wholePayloadButton()->click();
    ASSERT_TRUE(shown.wait(workerTimeout));
    EXPECT_TRUE(view.isShowingWholePayload());
    EXPECT_EQ(view.text(), whole);
    EXPECT_TRUE(view.wholePayloadButton()->isHidden());

    // Text is fed in slices; the whole text arrives exactly, a character cut at the limit included.
    QByteArray text;
    while (text.size() < 400 * 1024)
        text += "line " + QByteArray::number(text.size()) + " \xc3\xbc\n";
    view.showMessage(makeMessage("t", text));
    ASSERT_TRUE(shown.wait(workerTimeout));
    EXPECT_TRUE(QString::fromUtf8(text).startsWith(view.text()));
    EXPECT_FALSE(view.text().contains(QChar::ReplacementCharacter));
    view.showWholePayload();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 4; }, 10000));
    EXPECT_EQ(view.text(), QString::fromUtf8(text));

    // Up to the limit a payload shows whole, styled at once, without the button.
    view.showMessage(makeMessage("t", R"({"b":1,"a":"x"})"));
    EXPECT_EQ(view.text(), QStringLiteral("{\n    \"a\": \"x\",\n    \"b\": 1\n}"));
    EXPECT_TRUE(view.wholePayloadButton()->isHidden());
}

TEST(VDLPayloadView, TextWithoutSpacesWrapsAnywhereAndAReplacedDocumentIsFreed)
{
    VDLPayloadView view;
    QSignalSpy shown(&view, &VDLPayloadView::contentShown);
    // Wrapped only between words, 256 K characters without a space took minutes to lay out.
    view.showMessage(makeMessage("t", QByteArray(1024 * 1024, '[')));
    ASSERT_TRUE(shown.wait(workerTimeout));
    EXPECT_EQ(view.textView()->wordWrapMode(), QTextOption::WrapAnywhere);
    const QPointer<QTextDocument> replaced = view.textView()->document();
    view.showMessage(makeMessage("t", "a short text"));
    EXPECT_EQ(view.text(), QStringLiteral("a short text"));
    EXPECT_EQ(view.textView()->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    EXPECT_TRUE(replaced.isNull()) << "every message shown stayed in memory until the window closed";
}

TEST(VDLPayloadView, RawDataShowsAsAHexDumpOfTheSharedBytes)
{
    VDLPayloadView view;
    QByteArray bytes(1024 * 1024 + 3, '\0');
    for (qsizetype index = 0; index < bytes.size(); ++index)
        bytes[index] = char(index);
    const VDLMessagePtr message = makeMessage("t", bytes);
    view.showMessage(message);
    EXPECT_TRUE(view.text().isEmpty());
    EXPECT_EQ(view.hexView()->lineCount(), 65537);
    // Laid out from the message's own bytes, not a copy of them.
    EXPECT_EQ(view.hexView()->data().constData(), message->data().constData());
    EXPECT_EQ(VDLHexView::lineText(bytes, 4),
              QStringLiteral("00000040  40 41 42 43 44 45 46 47  48 49 4a 4b 4c 4d 4e 4f  |@ABCDEFGHIJKLMNO|"));
}

TEST(VDLHexView, ShortPayloadsFillTheirLastLineWithoutSpillingOver)
{
    const QByteArray characters = "0123456789:;<=>?@";
    const QString full = QStringLiteral("00000000  30 31 32 33 34 35 36 37  38 39 3a 3b 3c 3d 3e 3f  |0123456789:;<=>?|");
    const QList<std::tuple<qsizetype, qsizetype, QString>> cases{
        {0, 0, QString()},
        {1, 1, QStringLiteral("00000000  30") + QString(48, QLatin1Char(' ')) + QStringLiteral("|0|")},
        {15, 1, QStringLiteral("00000000  30 31 32 33 34 35 36 37  38 39 3a 3b 3c 3d 3e     |0123456789:;<=>|")},
        {16, 1, full},
        {17, 2, QStringLiteral("00000010  40") + QString(48, QLatin1Char(' ')) + QStringLiteral("|@|")},
    };
    VDLHexView view;
    for (const auto &[size, lines, lastLine] : cases) {
        const QByteArray bytes = characters.left(size);
        view.setData(bytes);
        EXPECT_EQ(view.lineCount(), lines) << size;
        EXPECT_EQ(VDLHexView::lineText(bytes, lines - 1), lastLine) << size;
        EXPECT_TRUE(VDLHexView::lineText(bytes, lines).isEmpty()) << size;
    }
    EXPECT_EQ(VDLHexView::lineText(characters, 0), full);
}

TEST(VDLPayloadView, AWorkersResultForAMessageNoLongerShownIsDropped)
{
    VDLPayloadView view;
    QSignalSpy shown(&view, &VDLPayloadView::contentShown);
    view.showMessage(makeMessage("t", bigJSON(1024 * 1024)));
    view.showMessage(makeMessage("t", "hello"));
    ASSERT_TRUE(settle(view));
    EXPECT_EQ(view.text(), QStringLiteral("hello"));
    EXPECT_TRUE(view.wholePayloadButton()->isHidden());

    const VDLMessagePtr large = makeMessage("t", bigJSON(1024 * 1024));
    view.showMessage(large);
    ASSERT_TRUE(shown.wait(workerTimeout));
    // A newer message of the same topic keeps the pane filled while it is prepared; another
    // topic's never shows under the old content.
    const QString shownBefore = view.text();
    view.showMessage(makeMessage("t", bigJSON(1024 * 1024 + 1)));
    EXPECT_EQ(view.text(), shownBefore);
    view.showMessage(makeMessage("u", bigJSON(1024 * 1024)));
    EXPECT_TRUE(view.text().isEmpty());
    view.showMessage(large);
    ASSERT_TRUE(shown.wait(workerTimeout));
    view.showWholePayload();
    view.showMessage(makeMessage("t", QByteArray("\x01\x02", 2)));
    ASSERT_TRUE(settle(view));
    EXPECT_FALSE(view.isShowingWholePayload());
    EXPECT_EQ(view.hexView()->lineCount(), 1);
    // Showing the same message again keeps what is shown.
    view.showMessage(large);
    ASSERT_TRUE(shown.wait(workerTimeout));
    view.showMessage(large);
    EXPECT_FALSE(view.text().isEmpty());
}
