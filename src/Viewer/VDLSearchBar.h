#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class VDLOutlineSearch;

// The controls of an outline's search above it: the search field (with its clear button), the
// "Include payloads" and "Filter" toggles and the info text. In the field, Return finds the next
// match, Shift+Return the previous one, and Escape clears the search. The search gets ready
// when the field takes the focus, so that the first keystroke does not wait for it.
//
// Ownership: the widgets are its children; the search is borrowed and outlives the bar (both
// belong to the topics pane). GUI thread.
class VDLSearchBar final : public QWidget
{
    Q_OBJECT

public:
    explicit VDLSearchBar(VDLOutlineSearch &search, QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    QCheckBox *includePayloadsToggle() const { return m_includePayloads; }
    QCheckBox *filterToggle() const { return m_filter; }
    QLabel *infoLabel() const { return m_info; }
    // Edit ▸ Find…: the field takes the focus with its text selected, ready to be replaced.
    void focusField();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    VDLOutlineSearch &m_search;
    QLineEdit *m_field;
    QCheckBox *m_includePayloads;
    QCheckBox *m_filter;
    QLabel *m_info;
};
