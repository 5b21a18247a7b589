#include "VDLSearchBar.h"

#include "VDLOutlineSearch.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

VDLSearchBar::VDLSearchBar(VDLOutlineSearch &search, QWidget *parent)
    : QWidget(parent)
    , m_search(search)
    , m_field(new QLineEdit(this))
    , m_includePayloads(new QCheckBox(QStringLiteral("Include payloads"), this))
    , m_filter(new QCheckBox(QStringLiteral("Filter"), this))
    , m_info(new QLabel(this))
{
    m_field->setPlaceholderText(QStringLiteral("Search"));
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    m_info->setForegroundRole(QPalette::PlaceholderText);

    // Both ways: the search can also be changed from elsewhere (Escape in the outline).
    connect(m_field, &QLineEdit::textChanged, &search, &VDLOutlineSearch::setSearchString);
    connect(&search, &VDLOutlineSearch::searchStringChanged, m_field, [this](const QString &text) {
        if (m_field->text() != text)
            m_field->setText(text);
    });
    connect(m_includePayloads, &QCheckBox::toggled, &search, &VDLOutlineSearch::setSearchIncludesPreview);
    connect(&search, &VDLOutlineSearch::searchIncludesPreviewChanged, m_includePayloads, &QCheckBox::setChecked);
    connect(m_filter, &QCheckBox::toggled, &search, &VDLOutlineSearch::setDoFilter);
    connect(&search, &VDLOutlineSearch::doFilterChanged, m_filter, &QCheckBox::setChecked);
    connect(&search, &VDLOutlineSearch::searchInfoChanged, m_info, &QLabel::setText);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_includePayloads);
    layout->addWidget(m_filter);
    layout->addWidget(m_info);
}

void VDLSearchBar::focusField()
{
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

bool VDLSearchBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::FocusIn)
        m_search.prepare();
    if (watched != m_field || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *const key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (key->modifiers() & Qt::ShiftModifier)
            m_search.findPrevious();
        else
            m_search.findNext();
        return true;
    case Qt::Key_Escape:
        m_search.setSearchString(QString());
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}
