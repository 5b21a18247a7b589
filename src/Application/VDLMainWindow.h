#pragma once

#include <QMainWindow>
#include <QStringList>

class QLabel;

// Vindle's first window: says which servers were asked for until the viewer takes over.
// GUI thread only.
class VDLMainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    explicit VDLMainWindow(const QStringList &requestedUrls, QWidget *parent = nullptr);

    QString statusText() const;

private:
    QLabel *m_statusLabel; // owned by the window through its central widget
};
