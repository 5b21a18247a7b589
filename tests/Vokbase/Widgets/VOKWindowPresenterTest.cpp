#include "LogCapture.h"
#include "VOKWindowPresenter.h"
#include "WindowLayerTest.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString ServerClass = QStringLiteral("TestServerViewController");
const QString RestorableClass = QStringLiteral("TestRestorableViewController");

QVariantMap server(const QString &host, int port)
{
    return {{QStringLiteral("host"), host}, {QStringLiteral("port"), port}};
}

VOKWindowController *controllerOf(const VOKViewController *viewController)
{
    for (VOKWindowController *controller : VOKWindowController::openControllers()) {
        if (controller->viewController() == viewController)
            return controller;
    }
    return nullptr;
}

} // namespace

using VOKWindowPresenterTest = WindowLayerTest;

TEST_F(VOKWindowPresenterTest, SameDescriptionFindsTheOpenWindowOthersMakeNewOnes)
{
    auto *first = VOKWindowPresenter::presentViewControllerOfClass<TestServerViewController>(server("a", 1));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->host, QStringLiteral("a"));
    EXPECT_EQ(first->allSetCalls, 1);
    EXPECT_EQ(first->allSetPort, 1) << "vokAllSet runs after the values are set";
    EXPECT_TRUE(first->window()->isVisible());

    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(ServerClass, server("a", 1)), first);
    EXPECT_EQ(VOKWindowController::openControllers().size(), 1);
    EXPECT_EQ(first->allSetCalls, 1);

    VOKViewController *second = VOKWindowPresenter::presentViewControllerOfClass(ServerClass, server("a", 2));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(VOKWindowController::openControllers().size(), 2);
    EXPECT_EQ(VOKWindowController::openControllers().first()->viewController(), second);

    // Finding brings the window to the front; without create nothing new appears.
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(ServerClass, server("a", 1), false), first);
    EXPECT_EQ(VOKWindowController::openControllers().first()->viewController(), first);
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(ServerClass, server("b", 1), false), nullptr);
    EXPECT_EQ(VOKWindowController::openControllers().size(), 2);
}

TEST_F(VOKWindowPresenterTest, MatchingHonoursSubclassesAndTheNullMarker)
{
    QVariantMap description = server("a", 1);
    description.insert(QStringLiteral("path"), VOKWindowPresenter::nullMarker());
    auto *restorable = VOKWindowPresenter::presentViewControllerOfClass<TestRestorableViewController>(description);
    ASSERT_NE(restorable, nullptr);
    EXPECT_TRUE(restorable->path.isNull()) << "the null marker is never set";
    EXPECT_EQ(restorable->window()->property("identifier").toString(),
              QStringLiteral("TestRestorableViewController|{\"host\":\"a\",\"path\":null,\"port\":1}"));

    // A subclass instance answers for its base class; an absent value matches the marker only.
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(ServerClass, description, false), restorable);
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(
                  ServerClass, {{QStringLiteral("path"), VOKWindowPresenter::nullMarker()}}, false),
              restorable);
    description.insert(QStringLiteral("path"), QStringLiteral("x"));
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(ServerClass, description, false), nullptr);

    // A base-class window does not answer for a subclass.
    ASSERT_NE(VOKWindowPresenter::presentViewControllerOfClass(ServerClass, server("b", 1)), nullptr);
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(RestorableClass, server("b", 1), false), nullptr);
}

TEST_F(VOKWindowPresenterTest, CreationAndIdentifierFailuresAreLoggedAndSurvived)
{
    LogCapture log;
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(QStringLiteral("NoSuchController"), {}), nullptr);
    EXPECT_EQ(
        log.linesContaining(QStringLiteral("ASSERTION: Failed to create view controller of class NoSuchController")).size(),
        1);

    // A value JSON cannot say leaves the window without identifier, so it is not kept either.
    QObject owner;
    const QVariantMap description{{QStringLiteral("owner"), QVariant::fromValue(&owner)}};
    auto *viewController =
        VOKWindowPresenter::presentViewControllerOfClass<TestRestorableViewController>(description);
    ASSERT_NE(viewController, nullptr);
    EXPECT_EQ(viewController->owner, &owner);
    EXPECT_TRUE(viewController->window()->property("identifier").toString().isNull());
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Can't serialize keyPathsAndObjects, auto-restoration will fail!"))
                  .size(),
              1);
    EXPECT_TRUE(VOKWindowRestoration::restorableIdentifiers().isEmpty());

    // Key paths reach into objects the controller holds; a path through nothing is reported.
    const QVariantMap nested{{QStringLiteral("owner.objectName"), QStringLiteral("shared")}};
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(RestorableClass, nested, false), nullptr);
    owner.setObjectName(QStringLiteral("shared"));
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(RestorableClass, nested, false), viewController);
    viewController->window()->close();
    log.clear();
    const QVariantMap throughNothing{{QStringLiteral("owner.objectName"), QStringLiteral("other")}};
    auto *fresh = VOKWindowPresenter::presentViewControllerOfClass<TestServerViewController>(throughNothing);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Can't set value for key path 'owner.objectName'")).size(), 1);
}

TEST_F(VOKWindowPresenterTest, KeyPathsSetMembersOfGadgetValuesThroughTheirHolder)
{
    const QVariantMap description{{QStringLiteral("host"), QStringLiteral("g")},
                                  {QStringLiteral("reading.value"), 21.5},
                                  {QStringLiteral("reading.unit"), QStringLiteral("°C")}};
    auto *viewController = VOKWindowPresenter::presentViewControllerOfClass<TestServerViewController>(description);
    ASSERT_NE(viewController, nullptr);
    // Each member is written on a copy that goes back through the setter, so the change is told.
    EXPECT_EQ(viewController->storedReading.value, 21.5);
    EXPECT_EQ(viewController->storedReading.unit, QStringLiteral("°C"));
    EXPECT_EQ(viewController->readingWrites, 2);
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass(ServerClass, description, false), viewController);

    LogCapture log;
    const QVariantMap unknownMember{{QStringLiteral("reading.colour"), QStringLiteral("red")}};
    ASSERT_NE(VOKWindowPresenter::presentViewControllerOfClass<TestRestorableViewController>(unknownMember), nullptr);
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Can't set value for key path 'reading.colour'")).size(), 1);
}

TEST_F(VOKWindowPresenterTest, ClosingReleasesTheControllerOnce)
{
    auto *viewController = VOKWindowPresenter::presentViewControllerOfClass<TestServerViewController>(server("a", 1));
    ASSERT_NE(viewController, nullptr);
    QPointer<VOKWindowController> controller = controllerOf(viewController);
    ASSERT_TRUE(controller);
    QSignalSpy controllerGone(controller.data(), &QObject::destroyed);
    QSignalSpy viewControllerGone(viewController, &QObject::destroyed);

    EXPECT_FALSE(VOKWindowPresenter::closeViewControllerOfClass(ServerClass, server("a", 2)));
    EXPECT_TRUE(VOKWindowPresenter::closeViewControllerOfClass(ServerClass, server("a", 1)));
    EXPECT_TRUE(VOKWindowController::openControllers().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.isNull(); }));
    EXPECT_EQ(controllerGone.size(), 1);
    EXPECT_EQ(viewControllerGone.size(), 1);
    EXPECT_FALSE(VOKWindowPresenter::closeViewControllerOfClass(ServerClass, server("a", 1)));

    // The same description now makes a new window.
    EXPECT_NE(VOKWindowPresenter::presentViewControllerOfClass(ServerClass, server("a", 1)), nullptr);
    EXPECT_EQ(VOKWindowController::openControllers().size(), 1);
}

TEST_F(VOKWindowPresenterTest, OpenRestorableWindowsComeBackAtTheNextLaunch)
{
    VOKWindowPresenter::presentViewControllerOfClass(RestorableClass, server("a", 1));
    VOKWindowPresenter::presentViewControllerOfClass(RestorableClass, server("b", 2));
    VOKWindowPresenter::presentViewControllerOfClass(ServerClass, server("c", 3));
    const QString a = QStringLiteral("TestRestorableViewController|{\"host\":\"a\",\"port\":1}");
    const QString b = QStringLiteral("TestRestorableViewController|{\"host\":\"b\",\"port\":2}");
    EXPECT_EQ(VOKWindowRestoration::restorableIdentifiers(), (QStringList{a, b}));

    // Closing forgets a window; quitting closes the others but keeps them.
    VOKWindowPresenter::closeViewControllerOfClass(RestorableClass, server("b", 2));
    EXPECT_EQ(VOKWindowRestoration::restorableIdentifiers(), QStringList{a});
    VOKWindowRestoration::closeAllWindowsForQuitting();
    EXPECT_TRUE(VOKWindowController::openControllers().isEmpty());
    EXPECT_EQ(VOKWindowRestoration::restorableIdentifiers(), QStringList{a});
    flushDeletes();

    VOKWindowRestoration::restoreWindows();
    const QList<VOKWindowController *> open = VOKWindowController::openControllers();
    ASSERT_EQ(open.size(), 1);
    const auto *restored = qobject_cast<TestRestorableViewController *>(open.first()->viewController());
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->host, QStringLiteral("a"));
    EXPECT_EQ(restored->port, 1);
    EXPECT_EQ(restored->didRestoreCalls, 1);
    EXPECT_EQ(open.first()->window()->identifier(), a);
    EXPECT_EQ(VOKWindowRestoration::restorableIdentifiers(), QStringList{a});
}

TEST_F(VOKWindowPresenterTest, RestoringFindsAnOpenWindowAndCompletesWithIt)
{
    auto *open = VOKWindowPresenter::presentViewControllerOfClass<TestServerViewController>(server("a", 1));
    VOKWindow *restoredWindow = nullptr;
    VOKError error;
    const QString identifier = QStringLiteral("TestServerViewController|{\"port\":1,\"host\":\"a\"}");
    VOKWindowRestoration::restoreWindowWithIdentifier(identifier, [&](VOKWindow *window, const VOKError &failure) {
        restoredWindow = window;
        error = failure;
    });
    EXPECT_TRUE(error.isNull());
    EXPECT_EQ(restoredWindow, open->window());
    EXPECT_EQ(open->didRestoreCalls, 1);
    EXPECT_EQ(VOKWindowController::openControllers().size(), 1);
}

TEST_F(VOKWindowPresenterTest, UnreadableIdentifiersFailWithCode42)
{
    LogCapture log;
    for (const char *text : {"TestServerViewController", "TestServerViewController|{\"host\":",
                             "NoSuchController|{}", "TestServerViewController|[1]", "|{}", ""}) {
        const QString identifier = QString::fromLatin1(text);
        int completions = 0;
        VOKWindowRestoration::restoreWindowWithIdentifier(identifier, [&](VOKWindow *window, const VOKError &error) {
            ++completions;
            EXPECT_EQ(window, nullptr);
            EXPECT_EQ(error.code(), 42);
            EXPECT_EQ(error.domain(),
                      QStringLiteral("VOKWindowRestoration does not know how to restore window with identifier %1")
                          .arg(identifier));
        });
        EXPECT_EQ(completions, 1) << text;
    }
    EXPECT_TRUE(VOKWindowController::openControllers().isEmpty());

    // A bad identifier kept from an earlier run is reported and dropped.
    VOKPreferences::standard().setObject(QStringList{QStringLiteral("garbage")}, VOKWindowRestoration::PreferencesKey);
    log.clear();
    VOKWindowRestoration::restoreWindows();
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Window not restored: VOKWindowRestoration does not know how "
                                                 "to restore window with identifier garbage"))
                  .size(),
              1);
    EXPECT_TRUE(VOKWindowRestoration::restorableIdentifiers().isEmpty());
}
