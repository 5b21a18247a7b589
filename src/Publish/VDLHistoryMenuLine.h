#pragma once

#include "VOKAttributedString.h"

#include <QWidget>

class QMenu;
class VDLPM;
class QWidgetAction;

// One line of a publish window's history menu: the entry's styled line (path, value, retain and
// QoS symbols flush right at the tab stop), drawn as a menu item that highlights under the mouse
// or keyboard and chooses its action when clicked.
//
// Ownership: the action owns it (QWidgetAction::setDefaultWidget); the action and the menu
// outlive it. GUI thread only.
class VDLHistoryMenuLine final : public QWidget
{
public:
    VDLHistoryMenuLine(VOKAttributedString text, QWidgetAction *action, QMenu *menu);

    // The line of a history entry: path, " — ", the value on one line in a smaller font, then the
    // retain and QoS symbols flush right at the tab position (in points).
    static VOKAttributedString attributedStringWithTabWidth(const VDLPM &entry, qreal tabWidth);
    // The text cut with a trailing "…" so that it fits the width in the attributes' font.
    static QString truncateString(const QString &text, qreal width, const VOKTextAttributes &attributes);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    VOKAttributedString m_text;
    QWidgetAction *m_action;
    QMenu *m_menu;
};
