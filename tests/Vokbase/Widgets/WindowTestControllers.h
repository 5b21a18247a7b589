#pragma once

#include "TestNode.h"
#include "VOKViewController.h"

#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

// View controllers for the window-layer tests: a described one with the observed title and
// represented URL, a subclass that asks to be restored, and a small panel that can only be
// closed.
class TestServerViewController : public VOKViewController
{
    Q_OBJECT
    Q_PROPERTY(QString host MEMBER host)
    Q_PROPERTY(int port MEMBER port)
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(QObject *owner MEMBER owner)
    Q_PROPERTY(QVariant vokWindowTitle MEMBER vokWindowTitle NOTIFY vokWindowTitleChanged)
    Q_PROPERTY(QUrl vokRepresentedUrl MEMBER vokRepresentedUrl NOTIFY vokRepresentedUrlChanged)
    Q_PROPERTY(TestReading reading READ reading WRITE setReading NOTIFY readingChanged)

public:
    QString host;
    int port = 0;
    QString path;
    QObject *owner = nullptr;
    QVariant vokWindowTitle;
    QUrl vokRepresentedUrl;
    int allSetCalls = 0;
    int allSetPort = -1; // the port when vokAllSet ran
    int didRestoreCalls = 0;
    QString autoSaveName; // null: use the title
    TestReading storedReading; // a gadget value, set through "reading.value" and "reading.unit"
    int readingWrites = 0;

    TestReading reading() const { return storedReading; }
    void setReading(const TestReading &reading)
    {
        storedReading = reading;
        ++readingWrites;
        Q_EMIT readingChanged();
    }

    void vokAllSet() override
    {
        ++allSetCalls;
        allSetPort = port;
    }
    void vokDidRestore() override { ++didRestoreCalls; }
    QString vokWindowAutoSaveName() const override { return autoSaveName; }

Q_SIGNALS:
    void vokWindowTitleChanged();
    void vokRepresentedUrlChanged();
    void readingChanged();
};

class TestRestorableViewController final : public TestServerViewController
{
    Q_OBJECT

public:
    bool vokAutoRestore() const override { return true; }
};

class TestPanelViewController final : public VOKViewController
{
    Q_OBJECT

public:
    TestPanelViewController()
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QStringLiteral("A panel of its own size"), this));
    }

    WindowStyleMask vokWindowStyleMask() const override { return WindowStyle::Titled | WindowStyle::Closable; }
};
