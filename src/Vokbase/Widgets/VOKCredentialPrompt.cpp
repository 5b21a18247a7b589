#include "VOKCredentialPrompt.h"

#include "VOKKeychainHelper.h"
#include "VOKKeychainQueue.h"
#include "VOKSheet.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int fieldWidth = 300;

QLineEdit *passwordField(QWidget *parent, const char *name, QLineEdit::EchoMode echo)
{
    auto *const field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setPlaceholderText(QStringLiteral("Password"));
    field->setEchoMode(echo);
    field->setFixedWidth(fieldWidth);
    return field;
}

} // namespace

VOKCredentialPrompt::VOKCredentialPrompt(const QString &title, const QString &message)
    : m_username(new QLineEdit(this))
    , m_secureField(passwordField(this, "secureField", QLineEdit::Password))
    , m_plainField(passwordField(this, "plainField", QLineEdit::Normal))
    , m_showPassword(new QCheckBox(QStringLiteral("Show Password"), this))
{
    setWindowTitle(title);
    auto *const heading = new QLabel(title, this);
    heading->setTextFormat(Qt::PlainText);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto *const text = new QLabel(message, this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);

    m_username->setObjectName(QStringLiteral("username"));
    m_username->setPlaceholderText(QStringLiteral("Username"));
    m_username->setFixedWidth(fieldWidth);
    m_plainField->hide();
    m_showPassword->setObjectName(QStringLiteral("showPassword"));
    connect(m_showPassword, &QCheckBox::toggled, this, &VOKCredentialPrompt::togglePasswordVisibility);

    auto *const buttons = new QDialogButtonBox(this);
    QPushButton *const connectButton = buttons->addButton(QStringLiteral("Connect"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connectButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // Tab follows the order the fields were made in: user name, password, Show Password, buttons.
    auto *const fields = new QGridLayout;
    fields->addWidget(m_username, 0, 0);
    // The two password fields share one place; only one of them shows.
    fields->addWidget(m_secureField, 1, 0);
    fields->addWidget(m_plainField, 1, 0);
    fields->addWidget(m_showPassword, 2, 0);
    auto *const layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(text);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

VOKCredentialPrompt *VOKCredentialPrompt::showForWindow(QWidget *window, const QString &title, const QString &message,
                                                        const QString &keychainService, Completion completion,
                                                        const QString &suggestedUsername)
{
    auto *const prompt = new VOKCredentialPrompt(title, message);
    prompt->fill(keychainService, suggestedUsername);
    VOKSheet::open(prompt, window, [prompt, completion = std::move(completion)](bool answered) {
        if (answered && prompt->result() == QDialog::Accepted)
            completion(prompt->m_username->text(), prompt->password(), false);
        else
            completion(QString(), QString(), true);
    });
    return prompt;
}

void VOKCredentialPrompt::fill(const QString &keychainService, const QString &suggestedUsername)
{
    m_username->setText(suggestedUsername);
    focusFirstEmptyField();
    if (keychainService.isEmpty())
        return;
    // The store may take seconds to answer: the sheet is usable meanwhile, and what was typed by
    // then is not overwritten.
    using Stored = std::pair<QString, QString>;
    VOKKeychainQueue::ask<Stored>(
        [service = keychainService, suggestedUsername] {
            const QString username =
                suggestedUsername.isEmpty() ? VOKKeychainHelper::usernameForService(service) : suggestedUsername;
            const QString password =
                username.isEmpty() ? QString() : VOKKeychainHelper::passwordForService(service, username);
            return Stored(username, password);
        },
        this, [this](const Stored &stored) { fillStored(stored.first, stored.second); });
}

void VOKCredentialPrompt::fillStored(const QString &username, const QString &password)
{
    if (!m_username->isModified())
        m_username->setText(username);
    const bool passwordTyped = m_secureField->isModified() || m_plainField->isModified();
    if (!passwordTyped && m_username->text() == username) {
        // Selected, because the stored password is often the one just refused: typing replaces it.
        for (QLineEdit *field : {m_secureField, m_plainField}) {
            field->setText(password);
            field->selectAll();
        }
    }
    if (focusWidget() == m_username && !m_username->isModified())
        focusFirstEmptyField();
}

void VOKCredentialPrompt::focusFirstEmptyField()
{
    if (m_username->text().isEmpty())
        m_username->setFocus();
    else
        (m_showPassword->isChecked() ? m_plainField : m_secureField)->setFocus();
}

QString VOKCredentialPrompt::password() const
{
    return (m_showPassword->isChecked() ? m_plainField : m_secureField)->text();
}

void VOKCredentialPrompt::togglePasswordVisibility(bool shown)
{
    QLineEdit *const from = shown ? m_secureField : m_plainField;
    QLineEdit *const to = shown ? m_plainField : m_secureField;
    to->setText(from->text());
    const bool hadFocus = from->hasFocus();
    from->hide();
    to->show();
    if (hadFocus)
        to->setFocus();
}
