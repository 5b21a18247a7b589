#include "MessageFactory.h"
#include "VDLClient.h"
#include "VDLHighlight.h"
#include "VDLPayloadView.h"
#include "VDLTextField.h"
#include "VDLTextView.h"
#include "VDLTopic.h"
#include "VDLTopicsItemDelegate.h"
#include "VDLTopicsModel.h"
#include "VDLTopicsViewController.h"
#include "VDLValueViewController.h"

#include <QObject>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <ostream>

namespace VDLHighlight {
void PrintTo(const Range &range, std::ostream *out)
{
    *out << '[' << range.start << '+' << range.length << ']';
}
} // namespace VDLHighlight

namespace {

using Ranges = QList<VDLHighlight::Range>;

// What the controls observe of a viewer controller, settable by name.
class FakeViewer final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString searchString MEMBER m_searchString NOTIFY searchStringChanged)
    Q_PROPERTY(bool searchIncludesPreview MEMBER m_searchIncludesPreview NOTIFY searchIncludesPreviewChanged)

public:
    void search(const QString &text) { setProperty("searchString", text); }
    void includePreview(bool on) { setProperty("searchIncludesPreview", on); }

Q_SIGNALS:
    void searchStringChanged();
    void searchIncludesPreviewChanged();

private:
    QString m_searchString;
    bool m_searchIncludesPreview = false;
};

// The characters of styled text that carry the marking background.
QString markedCharacters(const VOKAttributedString &text)
{
    QString marked;
    for (qsizetype index = 0; index < text.length(); ++index) {
        if (text.attributesAt(index).background == VDLHighlight::color())
            marked.append(text.string().at(index));
    }
    return marked;
}

} // namespace

TEST(VDLHighlight, TextFieldMarksEveryOccurrenceCaseInsensitivelyWithoutOverlap)
{
    FakeViewer viewer;
    VDLTextField field;
    field.setText(QStringLiteral("Temperature/TEMP"));
    viewer.search(QStringLiteral("temp"));
    // Nothing is marked before the field has a proxy; the proxy's current search applies at once.
    EXPECT_TRUE(field.highlightRanges().isEmpty());
    field.setProxy(&viewer);
    EXPECT_EQ(field.highlightRanges(), (Ranges{{0, 4}, {12, 4}}));
    EXPECT_EQ(markedCharacters(field.attributedText()), QStringLiteral("TempTEMP"));

    viewer.search(QStringLiteral("aa"));
    field.setText(QStringLiteral("aaaa"));
    EXPECT_EQ(field.highlightRanges(), (Ranges{{0, 2}, {2, 2}}));
    field.setText(QStringLiteral("aaa"));
    EXPECT_EQ(field.highlightRanges(), (Ranges{{0, 2}}));

    // Clearing the search removes every mark from the styled value, not just from the list.
    viewer.search(QString());
    EXPECT_TRUE(field.highlightRanges().isEmpty());
    EXPECT_TRUE(markedCharacters(field.attributedText()).isEmpty());
}

TEST(VDLHighlight, ControlsFollowOnlyTheirCurrentProxyAndSurviveItsEnd)
{
    VDLTextField field;
    field.setText(QStringLiteral("kitchen"));
    VDLTextView view(false);
    view.setPlainText(QStringLiteral("kitchen"));
    FakeViewer first;
    {
        FakeViewer second;
        for (QObject *const proxy : {static_cast<QObject *>(&first), static_cast<QObject *>(&second)}) {
            field.setProxy(proxy);
            view.setProxy(proxy);
        }
        first.search(QStringLiteral("kit"));
        EXPECT_TRUE(field.highlightRanges().isEmpty());
        EXPECT_TRUE(view.highlightRanges().isEmpty());
        second.search(QStringLiteral("chen"));
        EXPECT_EQ(field.highlightRanges(), (Ranges{{3, 4}}));
        EXPECT_EQ(view.highlightRanges(), (Ranges{{3, 4}}));
    }
    // The proxy is gone: the controls keep working on their own text.
    field.setText(QStringLiteral("chen chen"));
    EXPECT_EQ(field.highlightRanges().size(), 2);

    // Detaching a view ends its marks; a proxy without the properties marks nothing.
    view.setProxy(nullptr);
    EXPECT_TRUE(view.highlightRanges().isEmpty());
    QObject plain;
    field.setProxy(&plain);
    EXPECT_TRUE(field.highlightRanges().isEmpty());
}

TEST(VDLHighlight, TextViewMarksNewContentAndPreviewOnlyWhilePayloadsAreSearched)
{
    FakeViewer viewer;
    VDLTextView preview(true);
    VDLTextView plain(false);
    for (VDLTextView *const view : {&preview, &plain}) {
        view->setProxy(&viewer);
        view->setPlainText(QStringLiteral("{\"temp\": 21, \"Temp2\": 22}"));
    }
    viewer.search(QStringLiteral("temp"));
    EXPECT_TRUE(preview.highlightRanges().isEmpty());
    EXPECT_EQ(plain.highlightRanges(), (Ranges{{2, 4}, {14, 4}}));

    viewer.includePreview(true);
    EXPECT_EQ(preview.highlightRanges(), (Ranges{{2, 4}, {14, 4}}));
    // A view attached during a search takes up the search and the preview option at once.
    VDLTextView late(true);
    late.setPlainText(QStringLiteral("temp"));
    late.setProxy(&viewer);
    EXPECT_EQ(late.highlightRanges(), (Ranges{{0, 4}}));
    // Another topic's value is marked as it is shown, and marks stay off the text itself.
    preview.setHtml(QStringLiteral("<b>TEMP</b> and temp"));
    EXPECT_EQ(preview.highlightRanges(), (Ranges{{0, 4}, {9, 4}}));
    EXPECT_EQ(preview.toPlainText(), QStringLiteral("TEMP and temp"));

    viewer.includePreview(false);
    EXPECT_TRUE(preview.highlightRanges().isEmpty());
    viewer.includePreview(true);
    viewer.search(QString());
    EXPECT_TRUE(preview.highlightRanges().isEmpty());
    EXPECT_TRUE(plain.highlightRanges().isEmpty());
}

TEST(VDLHighlight, ValuePaneMarksPathAlwaysAndValueOnlyWithPayloads)
{
    VDLClient client(QStringLiteral("127.0.0.1"), 1884);
    VDLTopic root;
    root.setClient(&client);
    VDLTopic *const topic = root.subtopicNamed(QStringLiteral("home"))->subtopicNamed(QStringLiteral("temp"));
    topic->addMessage(makeMessage("home/temp", "temp is 21"));

    FakeViewer viewer;
    VDLValueViewController pane;
    pane.setProxy(&viewer);
    pane.setTopic(topic);
    viewer.search(QStringLiteral("TEMP"));
    EXPECT_EQ(pane.pathField()->highlightRanges(), (Ranges{{5, 4}}));
    EXPECT_TRUE(pane.valueView()->highlightRanges().isEmpty());
    viewer.includePreview(true);
    EXPECT_EQ(pane.valueView()->highlightRanges(), (Ranges{{0, 4}}));
}

TEST(VDLHighlight, TheStyledStartOfALargePayloadIsMarked)
{
    QByteArray json = R"({"needle":[)";
    while (json.size() < 2 * VDLPayloadView::StyledLimit)
        json += "1234567,";
    json += R"("needle"]})";
    FakeViewer viewer;
    viewer.includePreview(true);
    viewer.search(QStringLiteral("NEEDLE"));
    VDLPayloadView view;
    view.setProxy(&viewer);
    QSignalSpy shown(&view, &VDLPayloadView::contentShown);
    view.showMessage(makeMessage("t", json));
    ASSERT_TRUE(shown.wait(10000));
    // Only the key is in the styled start; the string at the end is not shown yet.
    EXPECT_EQ(view.textView()->highlightRanges(), (Ranges{{7, 6}}));
}

TEST(VDLHighlight, OutlineMarksNamesAndDeviceSummariesOfTheSearch)
{
    VDLClient client(QStringLiteral("127.0.0.1"), 1884);
    VDLTopic root;
    root.setClient(&client);
    const auto file = [&root](const QByteArray &path, const QByteArray &payload) {
        VDLTopic *node = &root;
        for (const QByteArray &level : path.split('/'))
            node = node->subtopicNamed(QString::fromUtf8(level));
        node->addMessage(makeMessage(path, payload));
    };
    file("tele/plug/LWT", "Online");
    file("tele/plug/STATE", R"({"POWER":"ON"})");
    file("tele/Temperature", "ON");

    FakeViewer viewer;
    VDLTopicsViewController outline;
    outline.setHighlightSource(&viewer);
    VDLTopicsModel model;
    model.setRootTopic(&root);
    const VDLTopicsItemDelegate &delegate = *outline.itemDelegate();
    const auto cell = [&](const char *path, int column) {
        return model.indexOfTopic(root.topicAtRelativePath(QString::fromLatin1(path)), column);
    };
    ASSERT_TRUE(root.topicAtRelativePath(QStringLiteral("tele/plug"))->representedDevice());

    // Without a search, names draw as plain cells and summaries as the model styles them.
    EXPECT_FALSE(delegate.attributedText(cell("tele/Temperature", VDLTopicsModel::NameColumn)));

    viewer.search(QStringLiteral("TEMP"));
    const std::optional<VOKAttributedString> name = delegate.attributedText(cell("tele/Temperature", VDLTopicsModel::NameColumn));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->string(), QStringLiteral("Temperature"));
    EXPECT_EQ(markedCharacters(*name), QStringLiteral("Temp"));

    viewer.search(QStringLiteral("on"));
    const std::optional<VOKAttributedString> device = delegate.attributedText(cell("tele/plug", VDLTopicsModel::SummaryColumn));
    ASSERT_TRUE(device);
    EXPECT_EQ(markedCharacters(*device), QStringLiteral("ON"));
    // A plain topic's summary is not among what the outline marks.
    const std::optional<VOKAttributedString> summary = delegate.attributedText(cell("tele/Temperature", VDLTopicsModel::SummaryColumn));
    EXPECT_TRUE(!summary || markedCharacters(*summary).isEmpty());

    viewer.search(QString());
    EXPECT_FALSE(delegate.attributedText(cell("tele/Temperature", VDLTopicsModel::NameColumn)));
}

#include "VDLHighlightTest.moc"
