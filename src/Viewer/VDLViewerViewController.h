#pragma once

#include "VOKViewController.h"

#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QAction;
class VDLClient;
class VDLTopic;
Q_MOC_INCLUDE("VDLTopic.h")
Q_MOC_INCLUDE("VDLClient.h")
class VDLTopicsViewController;
class VDLValueViewController;

// A viewer window's content: one broker server (host, port, TLS) below one topic path. It owns
// the server's client for the life of the window, shows the topics outline on the left and the
// selected topic's details on the right, and offers pause, the broker's "$SYS" topics, the
// credential and client-certificate prompts and "Forget Server", and a toggle that makes the window a favorite. Its title reads "scheme://host:port/path"; it is restored at the next launch
// and entered among the recents.
//
// Made by the window presenter from the description "host", "port", "path", "useTLS"; the
// client starts in vokAllSet. Closing the window disconnects the client once. GUI thread.
class VDLViewerViewController final : public VOKViewController
{
    Q_OBJECT
    Q_PROPERTY(QString host MEMBER m_host)
    Q_PROPERTY(int port MEMBER m_port)
    Q_PROPERTY(QString path MEMBER m_path)
    Q_PROPERTY(bool useTLS MEMBER m_useTLS)
    Q_PROPERTY(VDLClient *client READ client CONSTANT)
    Q_PROPERTY(VDLTopic *selectedTopic READ selectedTopic NOTIFY selectedTopicChanged)
    Q_PROPERTY(QString searchString READ searchString NOTIFY searchStringChanged)
    Q_PROPERTY(bool searchIncludesPreview READ searchIncludesPreview NOTIFY searchIncludesPreviewChanged)
    Q_PROPERTY(bool doFilter READ doFilter NOTIFY doFilterChanged)
    Q_PROPERTY(QString urlScheme READ urlScheme NOTIFY vokWindowTitleChanged)
    Q_PROPERTY(QString vokWindowTitle READ vokWindowTitle NOTIFY vokWindowTitleChanged)
    Q_PROPERTY(bool paused READ paused NOTIFY pausedChanged)

public:
    explicit VDLViewerViewController(QWidget *parent = nullptr);
    ~VDLViewerViewController() override;

    VDLClient *client() const { return m_client.get(); }
    VDLTopic *selectedTopic() const;
    // The outline's search, for the panes that mark what it finds.
    QString searchString() const;
    bool searchIncludesPreview() const;
    bool doFilter() const;
    QString urlScheme() const;
    QString vokWindowTitle() const;
    VDLTopicsViewController *topicsPane() const { return m_topics; }
    VDLValueViewController *valuePane() const { return m_value; }

    void vokAllSet() override;
    bool vokAutoRestore() const override { return true; }
    void vokDidRestore() override;
    QString vokRecentsMenuTitle() const override { return vokWindowTitle(); }

    // Selects the URL's topic (routing calls it for an opened URL). The URL's user info logs in:
    // a user name with a password different from the client's reconnects with them (routing
    // stored them already); a user name alone is offered by the credential prompt.
    void handleUrl(const QUrl &url);
    // Stores a user name and password for the server of a viewer description ("host", "port",
    // "useTLS") where its client will find them.
    static void saveCredentials(const QVariantMap &description, const QString &username, const QString &password);
    // Asks, then deletes everything stored for the server and closes the window.
    void closeAndForgetServer();
    // The forget-server question's texts, filled for this server.
    QString forgetServerMessage() const;
    static QString forgetServerInformativeText();
    bool paused() const;
    // The toolbar's favorite toggle.
    QAction *favoriteAction() const { return m_favorite; }
    // The toolbar's Publish…: showPublishWindow.
    QAction *publishAction() const { return m_publish; }

public Q_SLOTS:
    // The View menu's pause command.
    void togglePause();
    // Edit ▸ Find… (1), Find Next (2) and Find Previous (3), wherever the focus is in the window.
    void performFindPanelAction(int tag);
    // Opens the publish window on the selected topic's path and latest message, as the outline's
    // "Show in Publish Window" does; an empty one for the server without a selected topic.
    void showPublishWindow();

Q_SIGNALS:
    void selectedTopicChanged();
    void searchStringChanged();
    void searchIncludesPreviewChanged();
    void doFilterChanged();
    void vokWindowTitleChanged();
    void pausedChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    static std::unique_ptr<VDLClient> makeClient(const QString &host, int port, bool useTLS);
    void buildInterface();
    void logInFromUrl(const QUrl &url);
    void setSelectedTopic(VDLTopic *topic);
    void updatePauseText();
    void forgetServer();
    void bindFavoriteToggle();

    QString m_host;
    int m_port = 1883;
    QString m_path;
    bool m_useTLS = false;
    std::unique_ptr<VDLClient> m_client;
    QPointer<VDLTopic> m_selectedTopic;
    VDLTopicsViewController *m_topics = nullptr;
    VDLValueViewController *m_value = nullptr;
    QAction *m_pause = nullptr;
    QAction *m_favorite = nullptr;
    QAction *m_publish = nullptr;
    bool m_closeObserved = false;
};
