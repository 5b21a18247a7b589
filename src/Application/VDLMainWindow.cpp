#include "VDLMainWindow.h"

#include <QLabel>

VDLMainWindow::VDLMainWindow(const QStringList &requestedUrls, QWidget *parent)
    : QMainWindow(parent)
    , m_statusLabel(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Vindle"));
    m_statusLabel->setAlignment(Qt::AlignCenter);
    m_statusLabel->setText(requestedUrls.isEmpty()
                               ? QStringLiteral("No server open")
                               : requestedUrls.join(QLatin1Char('\n')));
    setCentralWidget(m_statusLabel);
    resize(900, 600);
}

QString VDLMainWindow::statusText() const
{
    return m_statusLabel->text();
}
