#include "LogCapture.h"
#include "MockClock.h"
#include "MosquittoBroker.h"
#include "OpenViewControllers.h"
#include "VDLClient.h"
#include "VDLPubClient.h"
#include "VDLPublishLinkBar.h"
#include "VDLPublishLinkPermissions.h"
#include "VDLPublishViewController.h"
#include "VDLURLOpener.h"
#include "VDLViewerViewController.h"
#include "VOKColor.h"
#include "VOKJSONPrinter.h"
#include "VOKKeyPath.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"
#include "VOKWindowPresenter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>

#include <gtest/gtest.h>

namespace {

const QString localhost = QStringLiteral("127.0.0.1");

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

struct PublishWindowTest : ::testing::Test
{
    static void SetUpTestSuite() { VDLURLOpener::registerWindowClasses(); }

    void TearDown() override
    {
        for (VOKWindowController *controller : VOKWindowController::openControllers())
            controller->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const auto &[host, port] : usedServers)
            VDLPubClient::deleteHistoryForHost(host, port);
    }

    VDLPublishViewController *present(const QVariantMap &description)
    {
        const QVariant port = description.value(QStringLiteral("port"));
        usedServers.append({description.value(QStringLiteral("host")).toString(), port.isValid() ? port.toInt() : 1883});
        return VOKWindowPresenter::presentViewControllerOfClass<VDLPublishViewController>(description);
    }

    // Opens the URL as a link would; tests of what a publish does let it publish.
    VDLPublishViewController *open(const QString &url, int port,
                                   VDLPublishViewController::PublishLinks links = VDLPublishViewController::PublishLinks::Allow)
    {
        usedServers.append({localhost, port});
        VDLURLOpener::open(QUrl(url), links);
        const QList<VDLPublishViewController *> windows = openViewControllers<VDLPublishViewController>();
        return windows.isEmpty() ? nullptr : windows.first();
    }


    static QVariantMap server(const QString &host, int port)
    {
        return {{QStringLiteral("host"), host}, {QStringLiteral("port"), port}};
    }

    QList<std::pair<QString, int>> usedServers;
    LogCapture log;
};

bool holdsNoValue(const VDLPM &pm)
{
    return std::holds_alternative<std::monostate>(pm.value);
}

} // namespace

TEST_F(PublishWindowTest, CompletingFillsThePortTakesTheSharedClientAndTitlesTheWindow)
{
    VDLPublishViewController *const window = present({{QStringLiteral("host"), QStringLiteral("h")}});
    ASSERT_TRUE(window);
    EXPECT_EQ(window->port(), 1883);
    EXPECT_EQ(window->vokWindowTitle(), QStringLiteral("Publish to h:1883"));
    EXPECT_EQ(window->window()->windowTitle(), QStringLiteral("Publish to h:1883"));
    ASSERT_TRUE(window->client());
    EXPECT_EQ(window->client(), VDLPubClient::clientWithHost(QStringLiteral("h"), 1883));
    EXPECT_TRUE(vokSafeValueForKeyPath(window, QStringLiteral("client.history")).isValid());
    EXPECT_FALSE(window->vokAutoRestore());
    EXPECT_TRUE(window->vokRecentsMenuTitle().isNull());
    EXPECT_TRUE(window->errString().isNull());
    EXPECT_FALSE(window->errorLabel()->isVisible());
    EXPECT_TRUE(log.beeps() == 0);

    // A second window for the same server, told apart by a uuid, shares the client.
    QVariantMap second = server(QStringLiteral("h"), 1883);
    second.insert(QStringLiteral("uuid"), QStringLiteral("2"));
    VDLPublishViewController *const other = present(second);
    ASSERT_TRUE(other);
    EXPECT_NE(other, window);
    EXPECT_EQ(other->client(), window->client());

    // Without a host there is no client, and publishing reports that it is not connected.
    VDLPublishViewController *const hostless = present({{QStringLiteral("uuid"), QStringLiteral("none")}});
    ASSERT_TRUE(hostless);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": WARNING: Beep: No host given!")).size(), 1);
    EXPECT_EQ(log.beeps(), 1);
    EXPECT_FALSE(hostless->client());
    hostless->publish();
    EXPECT_EQ(hostless->errString(), QStringLiteral("Not connected"));
}

TEST_F(PublishWindowTest, WidgetsAndTheMessageFollowEachOther)
{
    VDLPublishViewController *const window = present(server(localhost, 1));
    ASSERT_TRUE(window);
    QSignalSpy titleChanges(window, &VDLPublishViewController::publishButtonTitleChanged);
    EXPECT_EQ(window->publishButton()->text(), QStringLiteral("Publish"));

    // Programmatic changes reach the controls; the retain flag retitles the button at once.
    window->setPm(VDLPM(QStringLiteral("a/b"), QStringLiteral("v1"), 2, true));
    EXPECT_EQ(window->publishButtonTitle(), QStringLiteral("Publish Retained"));
    EXPECT_EQ(window->publishButton()->text(), QStringLiteral("Publish Retained"));
    EXPECT_EQ(titleChanges.size(), 1);
    EXPECT_EQ(window->pathField()->text(), QStringLiteral("a/b"));
    EXPECT_EQ(window->valueView()->toPlainText(), QStringLiteral("v1"));
    EXPECT_EQ(window->qosPopUp()->currentIndex(), 2);
    EXPECT_TRUE(window->retainCheckBox()->isChecked());

    // User edits reach the message; the edited control keeps its text and cursor.
    window->pathField()->setFocus();
    window->pathField()->end(false);
    QTest::keyClicks(window->pathField(), QStringLiteral("/c"));
    EXPECT_EQ(window->pm().path, QStringLiteral("a/b/c"));
    EXPECT_EQ(window->pathField()->cursorPosition(), 5);
    window->valueView()->moveCursor(QTextCursor::End);
    QTest::keyClicks(window->valueView(), QStringLiteral("23"));
    EXPECT_EQ(window->pm().value, VDLPM::Value(QStringLiteral("v123")));
    EXPECT_EQ(window->valueView()->textCursor().position(), 4);
    window->qosPopUp()->setCurrentIndex(0);
    EXPECT_EQ(window->pm().qos, 0);
    window->retainCheckBox()->click();
    EXPECT_FALSE(window->pm().doRetain);
    EXPECT_EQ(window->publishButton()->text(), QStringLiteral("Publish"));
    EXPECT_EQ(titleChanges.size(), 2);

    // Key paths set members of the message through the window's property, as the presenter does.
    QSignalSpy pmChanges(window, &VDLPublishViewController::pmChanged);
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(
                  QStringLiteral("VDLPublishViewController"),
                  {{QStringLiteral("pm.path"), QStringLiteral("a/b/c")}, {QStringLiteral("pm.value"), QStringLiteral("v123")}},
                  false),
              window);
    EXPECT_EQ(pmChanges.size(), 0) << "matching only reads";
}

TEST_F(PublishWindowTest, PublishesOnlyOnceConnectedAndRecordsTheHistory)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    broker.freeze(); // accepts the connection but does not answer yet

    const int port = broker.port();
    VDLPublishViewController *const window =
        open(QStringLiteral("mqtt://127.0.0.1:%1/test/lamp?value=ON&qos=1&retain=true").arg(port), port);
    ASSERT_TRUE(window);
    window->publishButton()->click();
    EXPECT_EQ(window->errString(), QStringLiteral("Not connected"));
    EXPECT_TRUE(window->errorLabel()->isVisible());
    EXPECT_EQ(window->errorLabel()->text(), QStringLiteral("Not connected"));
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Publish failed: not connected to 127.0.0.1:%1").arg(port)).size(), 1);
    EXPECT_EQ(log.beeps(), 0);
    EXPECT_FALSE(window->isPublishing());
    EXPECT_TRUE(window->client()->history().isEmpty());

    broker.thaw();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->client()->isConnected(); }, 15000));
    QSignalSpy publishing(window, &VDLPublishViewController::isPublishingChanged);
    window->publishButton()->click();
    EXPECT_TRUE(window->errString().isNull()) << "a new attempt clears the error line";
    EXPECT_FALSE(window->errorLabel()->isVisible());
    EXPECT_EQ(publishing.size(), 2);
    EXPECT_FALSE(window->isPublishing());
    ASSERT_EQ(window->client()->history().size(), 1);
    EXPECT_EQ(window->client()->history().first(), VDLPM(QStringLiteral("test/lamp"), QStringLiteral("ON"), 1, true));
    EXPECT_EQ(window->historyComboBox()->count(), 1);
    EXPECT_EQ(broker.firstMessage(QStringLiteral("test/lamp"), QStringLiteral("%r %q %t %p")), QByteArray("1 1 test/lamp ON"));

    // The confirmation shows, then fades out and hides.
    EXPECT_TRUE(window->publishedLabel()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->publishedLabel()->isVisible(); }, 5000));
    EXPECT_EQ(window->publishedOpacity()->opacity(), 0.0);

    // A publish the client refuses shows the client's reason.
    VDLPM invalid = window->pm();
    invalid.qos = 3;
    window->setPm(invalid);
    window->publish();
    ASSERT_FALSE(window->errString().isNull());
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Publish failed to 127.0.0.1:%1 - %2").arg(port).arg(window->errString()))
                  .size(),
              1);
    EXPECT_EQ(window->client()->history().size(), 1);

    // A window closed while its confirmation is still showing leaves nothing behind to run.
    invalid.qos = 0;
    window->setPm(invalid);
    window->publish();
    ASSERT_TRUE(window->publishedLabel()->isVisible());
    EXPECT_EQ(window->client()->history().size(), 2);
    QPointer<VDLPublishViewController> gone = window;
    window->window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(gone.isNull());
    // A confirmation that starts later ends later: once it is gone, the closed window's steps
    // would have run.
    VDLPublishViewController *const later =
        open(QStringLiteral("mqtt://127.0.0.1:%1/test/later?value=x").arg(port), port);
    ASSERT_TRUE(later);
    ASSERT_TRUE(QTest::qWaitFor([&] { return later->client()->isConnected(); }, 15000));
    later->publish();
    ASSERT_TRUE(later->publishedLabel()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !later->publishedLabel()->isVisible(); }, 5000));
}

TEST_F(PublishWindowTest, FormatsJsonFragmentsAndObjectsAndLeavesOtherValues)
{
    VDLPublishViewController *const window = present(server(localhost, 1));
    ASSERT_TRUE(window);
    const QFont fixed = *VDLPublishViewController::fixedPitchStyle().font;
    EXPECT_EQ(window->pathField()->font(), fixed);

    window->setPm(VDLPM(QStringLiteral("n"), QStringLiteral("42")));
    window->formatJson();
    const VDLPM formattedNumber = window->pm();
    const auto *number = std::get_if<VOKMarkup>(&formattedNumber.value);
    ASSERT_TRUE(number);
    EXPECT_EQ(number->plainText(), QStringLiteral("42"));
    // The value view shows the colours, in the fixed-pitch font.
    const auto shows = [&](const char *colour) {
        for (QTextBlock block = window->valueView()->document()->begin(); block.isValid(); block = block.next()) {
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                const QTextCharFormat format = fragment.fragment().charFormat();
                if (format.foreground().color() == vokColorNamed(QLatin1String(colour)) && format.font() == fixed)
                    return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(shows("Blue"));
    EXPECT_EQ(window->valueView()->toPlainText(), QStringLiteral("42"));

    window->setPm(VDLPM(QStringLiteral("n"), text(R"({"state":"ON"})")));
    window->formatJson();
    const VDLPM formattedObject = window->pm();
    const auto *object = std::get_if<VOKMarkup>(&formattedObject.value);
    ASSERT_TRUE(object);
    const QString plain = vokPrettyPrintWithIndent(QVariantMap{{QStringLiteral("state"), QStringLiteral("ON")}}, 0, false);
    EXPECT_EQ(object->plainText(), plain);
    EXPECT_TRUE(shows("Brown")) << "the key";
    EXPECT_TRUE(shows("Green")) << "the string";
    EXPECT_EQ(window->valueView()->toPlainText(), plain);

    // Editing a formatted value makes it plain text again.
    window->valueView()->moveCursor(QTextCursor::End);
    QTest::keyClicks(window->valueView(), QStringLiteral(" "));
    EXPECT_EQ(window->pm().value, VDLPM::Value(plain + QStringLiteral(" ")));

    EXPECT_EQ(log.beeps(), 0);
    // Text that is not strict JSON stays as typed; the error line says what is wrong and where.
    const QList<std::pair<const char *, const char *>> notJson{
        {"not json", "line 1, column 1"},
        {"1,2", "line 1, column 1"},
        {"", nullptr},
        {"{\"a\":", nullptr},
        {"{\"a\": 1.}", "line 1, column 7"},
        {"{\n  \"é\": tru\n}", "line 2, column 8"},
        {"[\"\ta\"]", "line 1, column 3"},
    };
    for (const auto &[typed, position] : notJson) {
        log.clear();
        window->setPm(VDLPM(QStringLiteral("n"), text(typed)));
        window->formatJson();
        EXPECT_EQ(window->pm().value, VDLPM::Value(text(typed))) << typed;
        EXPECT_EQ(log.linesContaining(QStringLiteral(": WARNING: Beep: Can't parse into JSON: ")).size(), 1) << typed;
        EXPECT_EQ(log.beeps(), 1) << typed;
        EXPECT_TRUE(window->errString().startsWith(QStringLiteral("Not JSON: "))) << typed;
        if (position) {
            EXPECT_TRUE(window->errString().endsWith(QLatin1String(position))) << qPrintable(window->errString());
        }
    }
    window->setPm(VDLPM(QStringLiteral("n"), QStringLiteral("42")));
    window->formatJson();
    EXPECT_TRUE(window->errString().isNull());
}

TEST_F(PublishWindowTest, HistoryComboAndMenuLoadEntries)
{
    VDLPubClient::deleteHistoryForHost(localhost, 1);
    VDLPublishViewController *const window = present(server(localhost, 1));
    ASSERT_TRUE(window);
    window->showHistory(window->historyButton());
    EXPECT_EQ(log.linesContaining(QStringLiteral(": WARNING: Beep: No History yet")).size(), 1);
    EXPECT_EQ(log.beeps(), 1);
    EXPECT_FALSE(window->historyMenu());
    EXPECT_FALSE(window->historyComboBox()->isEnabled());

    const VDLPM older(QStringLiteral("older"), QStringLiteral("line 1\nline 2"), 1, true);
    const VDLPM newer(QStringLiteral("newer"), QStringLiteral("x"), 0, false);
    window->client()->addToHistory(older);
    window->client()->addToHistory(newer);
    ASSERT_EQ(window->historyComboBox()->count(), 2);
    EXPECT_TRUE(window->historyComboBox()->itemText(0).startsWith(QStringLiteral("newer")));
    EXPECT_EQ(window->historyComboBox()->currentIndex(), -1);

    const VDLPM composed(QStringLiteral("mine"), QStringLiteral("draft"), 2, false);
    window->setPm(composed);
    window->comboBoxSelectionDidChange(-1);
    window->comboBoxSelectionDidChange(2);
    EXPECT_EQ(window->pm(), composed);
    Q_EMIT window->historyComboBox()->activated(1);
    EXPECT_EQ(window->pm(), older);
    EXPECT_EQ(window->pathField()->text(), QStringLiteral("older"));
    EXPECT_EQ(window->valueView()->toPlainText(), QStringLiteral("line 1\nline 2"));

    window->showHistory(window->historyButton());
    QMenu *const menu = window->historyMenu();
    ASSERT_TRUE(menu);
    const QList<QAction *> items = menu->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Recent 1"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("Recent 2"));
    auto *const shownLine = qobject_cast<QWidgetAction *>(items[0]);
    ASSERT_TRUE(shownLine && shownLine->defaultWidget());
    EXPECT_GE(shownLine->defaultWidget()->sizeHint().width(), VDLPublishViewController::historyMenuTabWidth);
    items[0]->trigger();
    EXPECT_EQ(window->pm(), newer);
    EXPECT_FALSE(window->retainCheckBox()->isChecked());
    EXPECT_EQ(log.beeps(), 1);
}

TEST_F(PublishWindowTest, ItsUrlOpensAWindowWithTheSameValuesThatDoesNotPublish)
{
    QVariantMap description = server(QStringLiteral("h"), 1883);
    description.insert(QStringLiteral("pm.path"), QStringLiteral("a/b"));
    description.insert(QStringLiteral("pm.value"), QStringLiteral("x y"));
    description.insert(QStringLiteral("pm.qos"), 2);
    description.insert(QStringLiteral("pm.doRetain"), false);
    VDLPublishViewController *const window = present(description);
    ASSERT_TRUE(window);
    const QUrl url = window->asUrl();
    EXPECT_EQ(url.toString(QUrl::FullyEncoded), QStringLiteral("mqtt://h:1883/a/b?value=x%20y&qos=2&retain=false"));

    // While the window is open, its own URL finds it.
    VDLURLOpener::open(url);
    EXPECT_EQ(openViewControllers<VDLPublishViewController>(), QList<VDLPublishViewController *>{window});

    window->window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    VDLURLOpener::open(url);
    const QList<VDLPublishViewController *> reopened = openViewControllers<VDLPublishViewController>();
    ASSERT_EQ(reopened.size(), 1);
    EXPECT_EQ(reopened.first()->host(), QStringLiteral("h"));
    EXPECT_EQ(reopened.first()->port(), 1883);
    EXPECT_EQ(reopened.first()->pm(), VDLPM(QStringLiteral("a/b"), QStringLiteral("x y"), 2, false));
    EXPECT_TRUE(reopened.first()->errString().isNull());
    EXPECT_TRUE(log.linesContaining(QStringLiteral("Publish failed")).isEmpty());
}

TEST_F(PublishWindowTest, RoutedUrlsFillTheWindowAndPublishOnlyWhenAsked)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    const int port = broker.port();
    const QString base = QStringLiteral("mqtt://127.0.0.1:%1").arg(port);
    // A client that is already connected, as when a publish window for the server is open.
    const auto held = VDLPubClient::clientWithHost(localhost, port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return held->isConnected(); }, 15000));

    VDLPublishViewController *const lamp = open(base + QStringLiteral("/home/lamp/set?value=ON&qos=1&retain=true"), port);
    ASSERT_TRUE(lamp);
    EXPECT_EQ(lamp->pm(), VDLPM(QStringLiteral("home/lamp/set"), QStringLiteral("ON"), 1, true));
    EXPECT_TRUE(held->history().isEmpty()) << "nothing is sent yet";
    EXPECT_TRUE(lamp->errString().isNull());

    // The same URL again shows the same window.
    EXPECT_EQ(open(base + QStringLiteral("/home/lamp/set?value=ON&qos=1&retain=true"), port), lamp);
    EXPECT_EQ(openViewControllers<VDLPublishViewController>().size(), 1);

    VDLPublishViewController *const off = open(base + QStringLiteral("/home/lamp/set?value=OFF&publish=1"), port);
    ASSERT_TRUE(off);
    EXPECT_NE(off, lamp);
    EXPECT_TRUE(off->errString().isNull());
    ASSERT_EQ(held->history().size(), 1);
    EXPECT_EQ(held->history().first(), VDLPM(QStringLiteral("home/lamp/set"), QStringLiteral("OFF")));

    VDLPublishViewController *const bare = open(base + QStringLiteral("/?value"), port);
    ASSERT_TRUE(bare);
    EXPECT_NE(bare, off);
    EXPECT_EQ(bare->pm().path, QString());
    EXPECT_TRUE(holdsNoValue(bare->pm()));

    VDLPublishViewController *const colour = open(base + QStringLiteral("/x?colour=red"), port);
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->pm().path, QStringLiteral("x"));
    EXPECT_EQ(colour->errString(), QStringLiteral("Unknown query item 'colour'"));
    EXPECT_TRUE(colour->errorLabel()->isVisible());
}

TEST_F(PublishWindowTest, ALinkAsksBeforeItPublishesUnlessItsServerIsAlwaysAllowed)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    const int port = broker.port();
    const auto held = VDLPubClient::clientWithHost(localhost, port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return held->isConnected(); }, 15000));
    const auto link = [&](const char *value) {
        return open(QStringLiteral("mqtt://127.0.0.1:%1/garage/door?value=%2&publish=1").arg(port).arg(QLatin1String(value)), port,
                    VDLPublishViewController::PublishLinks::Ask);
    };

    VDLPublishViewController *const window = link("open");
    ASSERT_TRUE(window);
    VDLPublishLinkBar *const bar = window->linkBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->label()->text(), QStringLiteral("This link wants to publish to mqtt://127.0.0.1:%1").arg(port));
    bar->denyButton()->click();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(held->history().isEmpty()) << "nothing is sent unless allowed";

    ASSERT_EQ(link("open"), window);
    bar->allowButton()->click();
    EXPECT_EQ(held->history().size(), 1);

    link("close")->linkBar()->alwaysAllowButton()->click();
    EXPECT_EQ(held->history().size(), 2);
    EXPECT_TRUE(VDLPublishLinkPermissions::isAlwaysAllowed(localhost, port));
    VDLPublishViewController *const trusted = link("half");
    EXPECT_EQ(held->history().size(), 3) << "an always allowed server is not asked about";
    EXPECT_TRUE(trusted->linkBar()->withdrawButton()->isVisible());

    trusted->linkBar()->withdrawButton()->click();
    EXPECT_FALSE(VDLPublishLinkPermissions::isAlwaysAllowed(localhost, port));
    EXPECT_TRUE(link("stop")->linkBar()->allowButton()->isVisible());
    EXPECT_EQ(held->history().size(), 3);
}

TEST_F(PublishWindowTest, APublishUrlForANewClientSendsOnceItHasConnected)
{
    // The clock stands still: only a connection ends the first wait.
    MockClock clock(QDateTime::currentDateTime());
    MosquittoBroker broker;
    const int port = broker.choosePort();
    ASSERT_NE(port, 0);
    VDLPublishViewController *const window =
        open(QStringLiteral("mqtt://127.0.0.1:%1/late/lamp?value=ON&retain=1&publish=1").arg(port), port);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->errString(), QStringLiteral("Waiting for connection\u2026"));
    EXPECT_TRUE(window->isPublishing());
    EXPECT_FALSE(window->publishButton()->isEnabled());
    window->publish(); // Ctrl+Return while waiting adds no second publish

    // The broker answers only now that the window has asked to publish.
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isPublishing(); }, 30000));
    EXPECT_TRUE(window->errString().isNull());
    EXPECT_TRUE(window->publishButton()->isEnabled());
    EXPECT_EQ(window->client()->history(), QList<VDLPM>{VDLPM(QStringLiteral("late/lamp"), QStringLiteral("ON"), 0, true)});
    EXPECT_EQ(broker.firstMessage(QStringLiteral("late/lamp"), QStringLiteral("%r %q %t %p")), QByteArray("1 0 late/lamp ON"));
    EXPECT_TRUE(log.linesContaining(QStringLiteral("Publish failed")).isEmpty());

    // A server that never answers: after ten seconds the error line says so.
    MosquittoBroker absent;
    const int absentPort = absent.choosePort();
    VDLPublishViewController *const stranded =
        open(QStringLiteral("mqtt://127.0.0.1:%1/t?value=OFF&publish=1").arg(absentPort), absentPort);
    ASSERT_TRUE(stranded);
    EXPECT_EQ(stranded->errString(), QStringLiteral("Waiting for connection\u2026"));
    clock.advanceSeconds(10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stranded->isPublishing(); }, 5000));
    EXPECT_EQ(stranded->errString(), QStringLiteral("Not connected"));
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Publish failed: not connected to 127.0.0.1:%1").arg(absentPort)).size(), 1);
}

TEST_F(PublishWindowTest, TheValueIsSentAsGivenOrAsEditedWithoutChangingOtherCharacters)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    const int port = broker.port();
    const auto held = VDLPubClient::clientWithHost(localhost, port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return held->isConnected(); }, 15000));

    // Characters a text view shows differently: CR LF, a no-break space, a line separator.
    const QString given = text("a\r\nb\u00a0c\u2028d");
    VDLPublishViewController *const window =
        open(QStringLiteral("mqtt://127.0.0.1:%1/raw").arg(port) + QStringLiteral("?value=a%0D%0Ab%C2%A0c%E2%80%A8d&retain=1"), port);
    ASSERT_TRUE(window);
    window->publish();
    EXPECT_EQ(window->pm().value, VDLPM::Value(given));
    EXPECT_EQ(broker.firstMessage(QStringLiteral("raw")), given.toUtf8());

    // Typing keeps what it did not touch and sends what was typed, a no-break space included.
    window->valueView()->setFocus();
    window->valueView()->moveCursor(QTextCursor::Start);
    window->valueView()->moveCursor(QTextCursor::NextCharacter);
    QTest::keyClicks(window->valueView(), QStringLiteral("Z"));
    window->valueView()->moveCursor(QTextCursor::End);
    QTest::keyClicks(window->valueView(), text("X\u00a0"));
    QTest::keyClick(window->valueView(), Qt::Key_Return);
    QTest::keyClicks(window->valueView(), QStringLiteral("Y"));
    const QString edited = text("aZ\r\nb\u00a0c\u2028dX\u00a0\nY");
    EXPECT_EQ(window->pm().value, VDLPM::Value(edited));
    window->publish();
    EXPECT_EQ(broker.firstMessage(QStringLiteral("raw")), edited.toUtf8());

    // A history entry comes back byte for byte.
    window->comboBoxSelectionDidChange(1);
    window->publish();
    EXPECT_EQ(window->pm().value, VDLPM::Value(given));
    EXPECT_EQ(broker.firstMessage(QStringLiteral("raw")), given.toUtf8());
}

TEST_F(PublishWindowTest, TheViewersSysAndPublishActionsOpenWindowsForAnIPv6Server)
{
    MosquittoBroker broker(MosquittoBroker::Loopback::IPv6);
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    const int port = broker.port();
    const QString home = QStringLiteral("mqtt://[::1]:%1/home").arg(port);
    VDLURLOpener::open(QUrl(home));
    ASSERT_EQ(VOKWindowController::openControllers().size(), 1);
    auto *const viewer = qobject_cast<VDLViewerViewController *>(VOKWindowController::openControllers().first()->viewController());
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->vokWindowTitle(), home);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->client()->isConnected(); }, 10000));
    const auto trigger = [viewer](const QString &title) {
        for (QAction *action : viewer->findChild<QToolBar *>()->actions()) {
            if (action->text() == title)
                action->trigger();
        }
    };
    usedServers.append({QStringLiteral("::1"), port});
    trigger(QStringLiteral("$SYS"));
    trigger(QStringLiteral("Publish\u2026"));

    QList<VDLViewerViewController *> viewers;
    for (VOKWindowController *controller : VOKWindowController::openControllers()) {
        if (auto *const opened = qobject_cast<VDLViewerViewController *>(controller->viewController()); opened && opened != viewer)
            viewers.append(opened);
    }
    ASSERT_EQ(viewers.size(), 1);
    EXPECT_EQ(viewers.first()->client()->host(), QStringLiteral("::1"));
    EXPECT_EQ(viewers.first()->client()->path(), QStringLiteral("$SYS/#"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewers.first()->client()->isConnected(); }, 10000));

    const QList<VDLPublishViewController *> windows = openViewControllers<VDLPublishViewController>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows.first()->host(), QStringLiteral("::1"));
    EXPECT_EQ(windows.first()->port(), port);
    EXPECT_EQ(windows.first()->pm().path, QString());
    EXPECT_TRUE(holdsNoValue(windows.first()->pm()));
    EXPECT_EQ(windows.first()->asUrl().host(), QStringLiteral("::1"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return windows.first()->client()->isConnected(); }, 10000));
}
