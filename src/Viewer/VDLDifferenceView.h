#pragma once

#include "VDLMessage.h"

#include <QWidget>

class QLabel;
class VDLTextView;

// What changed from one message of a topic to the next (VDLMessageDifference), under a line
// that gives both arrival times. GUI thread.
class VDLDifferenceView final : public QWidget
{
    Q_OBJECT

public:
    explicit VDLDifferenceView(QWidget *parent = nullptr);

    // Shows what changed from `previous` to `message`; the pair shown already is left as it is.
    void showDifference(const VDLMessagePtr &previous, const VDLMessagePtr &message);
    // The difference shown, as plain text.
    QString text() const;

private:
    QLabel *m_info;
    VDLTextView *m_text;
    VDLMessagePtr m_previous;
    VDLMessagePtr m_message;
};
