#pragma once

#include "VDLPM.h"
#include "VDLPubClient.h"
#include "VOKTextAttributes.h"
#include "VOKViewController.h"

#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class VDLConnectionWait;
class VDLPublishLinkBar;
class QCheckBox;
class QComboBox;
class QGraphicsOpacityEffect;
class QLabel;
class QLineEdit;
class QMenu;
class QPropertyAnimation;
class QPushButton;
class QTextEdit;
class QToolButton;

// A publish window's content: composes one message (`pm`: path, value, QoS, retain) for one
// server and sends it through the server's shared publishing client, which also keeps the
// server's publish history.
//
// Made by the window presenter with the description "host", "port", "pm.path", "pm.value",
// "pm.qos", "pm.doRetain", "errString" and maybe "uuid" (which only tells two windows for the
// same server apart); vokAllSet then obtains the client. `port` 0 stands for "none": vokAllSet
// makes it 1883. The window is neither restored nor entered among the recents.
//
// The widgets and `pm` follow each other both ways: setting `pm` (or a member through a key path)
// updates the widgets, and user edits update `pm` (an edited value becomes plain text). Editing
// never loops back into the widget being edited.
//
// Ownership: the window owns the controller; the controller holds the shared client for its
// life. GUI thread only.
class VDLPublishViewController final : public VOKViewController
{
    Q_OBJECT
    Q_PROPERTY(QString host READ host WRITE setHost NOTIFY hostChanged)
    Q_PROPERTY(int port READ port WRITE setPort NOTIFY portChanged)
    Q_PROPERTY(VDLPM pm READ pm WRITE setPm NOTIFY pmChanged)
    Q_PROPERTY(std::shared_ptr<VDLPubClient> client READ client NOTIFY clientChanged)
    Q_PROPERTY(QString errString READ errString WRITE setErrString NOTIFY errStringChanged)
    Q_PROPERTY(bool isPublishing READ isPublishing NOTIFY isPublishingChanged)
    Q_PROPERTY(QString uuid READ uuid WRITE setUuid NOTIFY uuidChanged)
    Q_PROPERTY(QString publishButtonTitle READ publishButtonTitle NOTIFY publishButtonTitleChanged)
    Q_PROPERTY(QString vokWindowTitle READ vokWindowTitle NOTIFY vokWindowTitleChanged)

public:
    // The port a window completed without one uses.
    static constexpr int defaultPort = 1883;
    // The `port` value that stands for none.
    static constexpr int noPort = 0;
    // The tab position of the history menu lines, in points.
    static constexpr qreal historyMenuTabWidth = 800;

    explicit VDLPublishViewController(QWidget *parent = nullptr);
    ~VDLPublishViewController() override;

    // The class-wide text style: only the user fixed-pitch font at 12 points. It styles the path
    // field, the value and formatted JSON here, and message contents in the viewer.
    static const VOKTextAttributes &fixedPitchStyle();

    QString host() const { return m_host; }
    void setHost(const QString &host);
    int port() const { return m_port; }
    void setPort(int port);
    VDLPM pm() const { return m_pm; }
    void setPm(const VDLPM &pm);
    // Null until vokAllSet found one; then the same shared client for the life of the window.
    std::shared_ptr<VDLPubClient> client() const { return m_client; }
    // A null string when there is nothing to report.
    QString errString() const { return m_errString; }
    void setErrString(const QString &errString);
    bool isPublishing() const { return m_isPublishing; }
    QString uuid() const { return m_uuid; }
    void setUuid(const QString &uuid);
    // "Publish Retained" with the retain flag on, else "Publish".
    QString publishButtonTitle() const;
    // "Publish to host:port".
    QString vokWindowTitle() const;

    // Without a host: a "Beep: No host given!" WARNING and no client. Otherwise a missing port
    // becomes 1883 and the window takes the server's shared publishing client.
    void vokAllSet() override;

    // The Publish action: pending edits reach `pm`, then doPublish. Does nothing while
    // publishWhenConnected waits.
    void publish();
    // The publish a URL asks for: publish at once when the client is connected (or there is no
    // client); otherwise "Waiting for connection…" in the error line until the client connects,
    // then publish, or, after 10 seconds on the current VOKClock without a connection, publish
    // anyway, which fails with "Not connected". `isPublishing` is true while it waits.
    void publishWhenConnected();
    // Whether a link that asks to publish at once may: Allow for `vindle --allow-publish URL`.
    enum class PublishLinks { Ask, Allow };
    // The publish a link asks for: publishWhenConnected when allowed or when links may publish to
    // this server without asking; otherwise the link bar asks first, and nothing is sent unless
    // the user allows it.
    void publishLink(PublishLinks links);
    // Sends `pm` once; "Not connected" (with an ERROR line) while the client has no connection,
    // the client's error description when it refuses. Success flashes the "Published" label.
    void doPublish();
    // Re-formats the value as pretty-printed, coloured JSON in the fixed-pitch font; a value
    // that is not JSON (fragments allowed) stays as it is, with a "Beep: Can't parse" WARNING.
    void formatJson();
    // Pops up the history menu ("Recent 1", …) with its first item at the centre of the sender
    // (this window's origin without a sender); choosing an item sets `pm` to that entry. An empty
    // history logs "Beep: No History yet" instead.
    void showHistory(QWidget *sender);
    // Copies the history entry at the index (path, QoS, retain, value) into `pm`; an index
    // outside the history changes nothing.
    void comboBoxSelectionDidChange(int index);
    // mqtt://host:port/path?value=…&qos=…&retain=true|false, each part percent-encoded.
    QUrl asUrl() const;

    // The controls, for tests and for the window's own wiring.
    QLineEdit *pathField() const { return m_pathField; }
    QTextEdit *valueView() const { return m_valueView; }
    QComboBox *qosPopUp() const { return m_qosPopUp; }
    QCheckBox *retainCheckBox() const { return m_retainCheckBox; }
    QPushButton *formatJsonButton() const { return m_formatJsonButton; }
    QToolButton *historyButton() const { return m_historyButton; }
    QComboBox *historyComboBox() const { return m_historyComboBox; }
    QLabel *errorLabel() const { return m_errorLabel; }
    VDLPublishLinkBar *linkBar() const { return m_linkBar; }
    QPushButton *publishButton() const { return m_publishButton; }
    QLabel *publishedLabel() const { return m_publishedLabel; }
    QGraphicsOpacityEffect *publishedOpacity() const { return m_publishedOpacity; }
    // The history menu last popped up, while it is open.
    QMenu *historyMenu() const;

Q_SIGNALS:
    void hostChanged();
    void portChanged();
    void pmChanged();
    void clientChanged();
    void errStringChanged();
    void isPublishingChanged();
    void uuidChanged();
    void publishButtonTitleChanged();
    void vokWindowTitleChanged();

private:
    void buildInterface();
    void buildMessageControls();
    void buildHistoryControls();
    void buildStatusControls();
    void layOutControls();
    // Changes a copy of `pm` and sets it, so every edit is one assignment with one notification.
    void editPm(const std::function<void(VDLPM &)> &change);
    void setIsPublishing(bool isPublishing);
    // Puts `pm` into the controls that do not show it yet.
    void showPm();
    void showValue();
    void showErrString();
    void showHistoryEntries();
    // The controls' current contents into `pm` (what ending the editing does).
    void commitEditing();
    void valueEdited();
    // The value view's content into `pm`, when the user changed it.
    void takeEditedValue();
    void flashPublishedLabel();

    QString m_host;
    int m_port = noPort;
    VDLPM m_pm;
    std::shared_ptr<VDLPubClient> m_client;
    QString m_errString;
    bool m_isPublishing = false;
    QString m_uuid;

    // The value the value view shows, so that only other values are put into it.
    VDLPM::Value m_shownValue;
    bool m_showingValue = false;
    // Counts flashes: a delayed fade belongs to the newest one only.
    int m_flashGeneration = 0;

    QLineEdit *m_pathField = nullptr;
    QTextEdit *m_valueView = nullptr;
    QComboBox *m_qosPopUp = nullptr;
    QCheckBox *m_retainCheckBox = nullptr;
    QPushButton *m_formatJsonButton = nullptr;
    QToolButton *m_historyButton = nullptr;
    QComboBox *m_historyComboBox = nullptr;
    QLabel *m_errorLabel = nullptr;
    VDLPublishLinkBar *m_linkBar = nullptr;
    QPushButton *m_publishButton = nullptr;
    QLabel *m_publishedLabel = nullptr;
    QGraphicsOpacityEffect *m_publishedOpacity = nullptr;
    QPointer<QPropertyAnimation> m_fade;
    QPointer<QMenu> m_historyMenu;
    std::unique_ptr<VDLConnectionWait> m_connectionWait;
};
