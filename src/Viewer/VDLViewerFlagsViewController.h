#pragma once

#include <QLabel>
#include <QPointer>

class VDLClient;

// The small accessory at the trailing end of a viewer's title area: whether the connection uses
// TLS, and whether the client is connected or what keeps it from being so. GUI thread.
class VDLViewerFlagsViewController final : public QLabel
{
    Q_OBJECT

public:
    explicit VDLViewerFlagsViewController(VDLClient *client, QWidget *parent = nullptr);

private:
    void update();

    QPointer<VDLClient> m_client;
};
