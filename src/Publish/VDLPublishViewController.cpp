#include "VDLPublishViewController.h"

#include "VDLConnectionWait.h"
#include "VDLHistoryMenuLine.h"
#include "VDLPublishLinkBar.h"
#include "VDLPublishLinkPermissions.h"
#include "VDLValueText.h"
#include "VOKColor.h"
#include "VOKError.h"
#include "VOKFont.h"
#include "VOKJSON.h"
#include "VOKJSONPrinter.h"
#include "VOKKeyPath.h"
#include "VOKLog.h"
#include "VOKMarkupParser.h"
#include "VOKString.h"
#include "VOKUrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>

#include <functional>
#include <mutex>

namespace {

constexpr int publishedShowMilliseconds = 1000;
constexpr int publishedFadeMilliseconds = 500;
// How long a publish asked for by a URL waits for a client that is still connecting.
constexpr qint64 connectionWaitMilliseconds = 10000;

const QString separator = QStringLiteral(" \u2014 ");

} // namespace

VDLPublishViewController::VDLPublishViewController(QWidget *parent)
    : VOKViewController(parent)
{
    // Key paths read through the shared client ("client.history") as through an object.
    static std::once_flag unwrapperRegistered;
    std::call_once(unwrapperRegistered, [] {
        VOKKeyPath::registerUnwrapper(QMetaType::fromType<std::shared_ptr<VDLPubClient>>(), [](const QVariant &value) {
            return QVariant::fromValue<QObject *>(value.value<std::shared_ptr<VDLPubClient>>().get());
        });
    });
    buildInterface();
}

VDLPublishViewController::~VDLPublishViewController() = default;

const VOKTextAttributes &VDLPublishViewController::fixedPitchStyle()
{
    static const VOKTextAttributes style = [] {
        VOKTextAttributes attributes;
        attributes.font = vokFontFromOperation(QStringLiteral("userFixedPitchFontOfSize:"), 12, std::nullopt);
        return attributes;
    }();
    return style;
}

// MARK: - Properties

void VDLPublishViewController::setHost(const QString &host)
{
    if (host == m_host && host.isNull() == m_host.isNull())
        return;
    m_host = host;
    Q_EMIT hostChanged();
    Q_EMIT vokWindowTitleChanged();
}

void VDLPublishViewController::setPort(int port)
{
    if (port == m_port)
        return;
    m_port = port;
    Q_EMIT portChanged();
    Q_EMIT vokWindowTitleChanged();
}

void VDLPublishViewController::setPm(const VDLPM &pm)
{
    if (pm == m_pm)
        return;
    const bool retainChanged = pm.doRetain != m_pm.doRetain;
    m_pm = pm;
    showPm();
    Q_EMIT pmChanged();
    if (retainChanged)
        Q_EMIT publishButtonTitleChanged();
}

void VDLPublishViewController::setErrString(const QString &errString)
{
    if (errString == m_errString && errString.isNull() == m_errString.isNull())
        return;
    m_errString = errString;
    showErrString();
    Q_EMIT errStringChanged();
}

void VDLPublishViewController::setIsPublishing(bool isPublishing)
{
    if (isPublishing == m_isPublishing)
        return;
    m_isPublishing = isPublishing;
    Q_EMIT isPublishingChanged();
}

void VDLPublishViewController::setUuid(const QString &uuid)
{
    if (uuid == m_uuid && uuid.isNull() == m_uuid.isNull())
        return;
    m_uuid = uuid;
    Q_EMIT uuidChanged();
}

QString VDLPublishViewController::publishButtonTitle() const
{
    return m_pm.doRetain ? QStringLiteral("Publish Retained") : QStringLiteral("Publish");
}

QString VDLPublishViewController::vokWindowTitle() const
{
    return QStringLiteral("Publish to %1:%2").arg(m_host).arg(m_port);
}

// MARK: - Completing the window

void VDLPublishViewController::vokAllSet()
{
    if (m_client)
        return;
    if (m_host.isEmpty()) {
        VOK_WARNING(QStringLiteral("Beep: No host given!"));
        return;
    }
    if (m_port == noPort)
        setPort(defaultPort);
    m_client = VDLPubClient::clientWithHost(m_host, m_port);
    if (!m_client) {
        VOK_WARNING(QStringLiteral("Beep: Failed to create client for %1:%2!").arg(m_host).arg(m_port));
        return;
    }
    connect(m_client.get(), &VDLPubClient::historyChanged, this, &VDLPublishViewController::showHistoryEntries);
    showHistoryEntries();
    m_linkBar->setServer(m_host, m_port);
    Q_EMIT clientChanged();
}

void VDLPublishViewController::publishLink(PublishLinks links)
{
    if (links == PublishLinks::Allow || VDLPublishLinkPermissions::isAlwaysAllowed(m_host, m_port))
        publishWhenConnected();
    else
        m_linkBar->ask();
}

// MARK: - Actions

void VDLPublishViewController::publish()
{
    if (m_connectionWait && m_connectionWait->isWaiting())
        return;
    commitEditing();
    doPublish();
}

void VDLPublishViewController::publishWhenConnected()
{
    if (!m_client || m_client->isConnected()) {
        publish();
        return;
    }
    setErrString(QStringLiteral("Waiting for connection…"));
    setIsPublishing(true);
    m_connectionWait = std::make_unique<VDLConnectionWait>(m_client, connectionWaitMilliseconds, [this](bool) {
        setIsPublishing(false);
        publish();
    });
}

void VDLPublishViewController::doPublish()
{
    setErrString(QString());
    setIsPublishing(true);
    if (!m_client || !m_client->isConnected()) {
        VOK_ERROR(QStringLiteral("Publish failed: not connected to %1:%2").arg(m_host).arg(m_port));
        setErrString(QStringLiteral("Not connected"));
        setIsPublishing(false);
        return;
    }
    VOKError error;
    if (m_client->publish(m_pm, &error)) {
        flashPublishedLabel();
    } else {
        VOK_ERROR(QStringLiteral("Publish failed to %1:%2 - %3").arg(m_host).arg(m_port).arg(error.localizedDescription()));
        setErrString(error.localizedDescription());
    }
    setIsPublishing(false);
}

void VDLPublishViewController::formatJson()
{
    QString failure;
    const QVariant json = vokJSONFragmentValue(m_pm.valueAsString().toUtf8(), &failure);
    if (!json.isValid()) {
        VOK_WARNING(QStringLiteral("Beep: Can't parse into JSON: %1").arg(failure));
        // The value stays as typed: the line says what is wrong and where, so it can be mended.
        setErrString(QStringLiteral("Not JSON: %1").arg(failure));
        return;
    }
    setErrString(QString());
    const VOKMarkup formatted(vokPrettyPrintWithIndent(json, 0, true));
    editPm([&](VDLPM &pm) { pm.value = formatted; });
}

void VDLPublishViewController::showHistory(QWidget *sender)
{
    const QList<VDLPM> history = m_client ? m_client->history() : QList<VDLPM>();
    if (history.isEmpty()) {
        VOK_WARNING(QStringLiteral("Beep: No History yet"));
        return;
    }
    auto *const menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (qsizetype index = 0; index < history.size(); ++index) {
        const VDLPM entry = history[index];
        auto *const item = new QWidgetAction(menu);
        item->setText(QStringLiteral("Recent %1").arg(index + 1));
        item->setDefaultWidget(new VDLHistoryMenuLine(VDLHistoryMenuLine::attributedStringWithTabWidth(entry, historyMenuTabWidth), item, menu));
        connect(item, &QAction::triggered, this, [this, entry] { setPm(entry); });
        menu->addAction(item);
    }
    m_historyMenu = menu;
    const QPoint position = sender ? sender->mapToGlobal(sender->rect().center()) : mapToGlobal(QPoint(0, 0));
    menu->popup(position, menu->actions().constFirst());
}

void VDLPublishViewController::comboBoxSelectionDidChange(int index)
{
    const QList<VDLPM> history = m_client ? m_client->history() : QList<VDLPM>();
    if (index < 0 || index >= history.size())
        return;
    const VDLPM &entry = history[index];
    editPm([&](VDLPM &pm) {
        pm.path = entry.path;
        pm.qos = entry.qos;
        pm.doRetain = entry.doRetain;
        pm.value = entry.value;
    });
}

QUrl VDLPublishViewController::asUrl() const
{
    const std::optional<int> port = m_port == noPort ? std::nullopt : std::optional<int>(m_port);
    const QString value = m_pm.valueAsString();
    return QUrl(vokServerUrlString(QStringLiteral("mqtt"), m_host, port) + QLatin1Char('/')
                    + vokPercentEncoded(m_pm.path, "/")
                    + QStringLiteral("?value=%1&qos=%2&retain=%3")
                          .arg(vokPercentEncoded(value), QString::number(m_pm.qos),
                               m_pm.doRetain ? QStringLiteral("true") : QStringLiteral("false")),
                QUrl::StrictMode);
}

// MARK: - Interface

QMenu *VDLPublishViewController::historyMenu() const
{
    return m_historyMenu;
}

void VDLPublishViewController::buildInterface()
{
    buildMessageControls();
    buildHistoryControls();
    buildStatusControls();
    layOutControls();
}

void VDLPublishViewController::buildMessageControls()
{
    const QFont fixedFont = *fixedPitchStyle().font;
    m_pathField = new QLineEdit(this);
    m_pathField->setFont(fixedFont);
    m_pathField->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_pathField->setPlaceholderText(QStringLiteral("topic/path"));
    m_pathField->setClearButtonEnabled(true);
    connect(m_pathField, &QLineEdit::textEdited, this,
            [this](const QString &text) { editPm([&](VDLPM &pm) { pm.path = text; }); });

    m_valueView = new QTextEdit(this);
    m_valueView->setFont(fixedFont);
    m_valueView->setAcceptRichText(false);
    m_valueView->setTabChangesFocus(true);
    m_valueView->setPlaceholderText(QStringLiteral("Value"));
    connect(m_valueView, &QTextEdit::textChanged, this, &VDLPublishViewController::valueEdited);

    m_qosPopUp = new QComboBox(this);
    m_qosPopUp->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")});
    m_qosPopUp->setToolTip(QStringLiteral("Quality of service"));
    connect(m_qosPopUp, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            editPm([&](VDLPM &pm) { pm.qos = index; });
    });

    m_retainCheckBox = new QCheckBox(QStringLiteral("Retain"), this);
    connect(m_retainCheckBox, &QCheckBox::toggled, this,
            [this](bool checked) { editPm([&](VDLPM &pm) { pm.doRetain = checked; }); });

    m_formatJsonButton = new QPushButton(QStringLiteral("Format JSON"), this);
    m_formatJsonButton->setAutoDefault(false);
    connect(m_formatJsonButton, &QPushButton::clicked, this, &VDLPublishViewController::formatJson);
}

void VDLPublishViewController::buildHistoryControls()
{
    m_historyComboBox = new QComboBox(this);
    m_historyComboBox->setPlaceholderText(QStringLiteral("Recently published"));
    m_historyComboBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_historyComboBox->setMinimumContentsLength(20);
    m_historyComboBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_historyComboBox->setEnabled(false);
    connect(m_historyComboBox, &QComboBox::activated, this, &VDLPublishViewController::comboBoxSelectionDidChange);

    m_historyButton = new QToolButton(this);
    m_historyButton->setText(QStringLiteral("History"));
    m_historyButton->setToolTip(QStringLiteral("Show the publish history"));
    m_historyButton->setArrowType(Qt::DownArrow);
    m_historyButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(m_historyButton, &QToolButton::clicked, this, [this] { showHistory(m_historyButton); });
}

void VDLPublishViewController::buildStatusControls()
{
    m_linkBar = new VDLPublishLinkBar(this);
    connect(m_linkBar, &VDLPublishLinkBar::allowed, this, &VDLPublishViewController::publishWhenConnected);

    m_errorLabel = new QLabel(this);
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_errorLabel->setTextFormat(Qt::PlainText);
    QPalette errorColours = m_errorLabel->palette();
    errorColours.setColor(QPalette::WindowText, vokColorNamed(QStringLiteral("NSColor:systemRedColor")));
    m_errorLabel->setPalette(errorColours);
    m_errorLabel->hide();

    m_publishedLabel = new QLabel(QStringLiteral("Published"), this);
    m_publishedOpacity = new QGraphicsOpacityEffect(m_publishedLabel);
    m_publishedOpacity->setOpacity(0);
    m_publishedLabel->setGraphicsEffect(m_publishedOpacity);
    // The button beside it stays where it is while the label comes and goes.
    QSizePolicy keepPlace = m_publishedLabel->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    m_publishedLabel->setSizePolicy(keepPlace);
    m_publishedLabel->hide();

    m_publishButton = new QPushButton(publishButtonTitle(), this);
    m_publishButton->setDefault(true);
    m_publishButton->setToolTip(QStringLiteral("Publish (Ctrl+Return)"));
    connect(m_publishButton, &QPushButton::clicked, this, &VDLPublishViewController::publish);
    connect(this, &VDLPublishViewController::publishButtonTitleChanged, m_publishButton,
            [this] { m_publishButton->setText(publishButtonTitle()); });
    connect(this, &VDLPublishViewController::isPublishingChanged, m_publishButton,
            [this] { m_publishButton->setEnabled(!m_isPublishing); });
    auto *const publishShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    connect(publishShortcut, &QShortcut::activated, this, &VDLPublishViewController::publish);
}

void VDLPublishViewController::layOutControls()
{
    auto *const grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Topic:"), this), 0, 0, Qt::AlignRight);
    grid->addWidget(m_pathField, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Value:"), this), 1, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(m_valueView, 1, 1);
    grid->setRowStretch(1, 1);

    auto *const options = new QHBoxLayout;
    options->addWidget(new QLabel(QStringLiteral("QoS:"), this));
    options->addWidget(m_qosPopUp);
    options->addSpacing(16);
    options->addWidget(m_retainCheckBox);
    options->addStretch(1);
    options->addWidget(m_formatJsonButton);
    grid->addLayout(options, 2, 1);

    auto *const recent = new QHBoxLayout;
    recent->addWidget(m_historyComboBox, 1);
    recent->addWidget(m_historyButton);
    grid->addWidget(new QLabel(QStringLiteral("History:"), this), 3, 0, Qt::AlignRight);
    grid->addLayout(recent, 3, 1);

    auto *const actions = new QHBoxLayout;
    actions->addStretch(1);
    actions->addWidget(m_publishedLabel);
    actions->addSpacing(8);
    actions->addWidget(m_publishButton);

    auto *const layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(m_linkBar);
    layout->addLayout(grid, 1);
    layout->addWidget(m_errorLabel);
    layout->addLayout(actions);
    resize(560, 380);
}

void VDLPublishViewController::editPm(const std::function<void(VDLPM &)> &change)
{
    VDLPM pm = m_pm;
    change(pm);
    setPm(pm);
}

void VDLPublishViewController::showPm()
{
    if (m_pathField->text() != m_pm.path)
        m_pathField->setText(m_pm.path);
    const int qosIndex = m_pm.qos >= 0 && m_pm.qos < m_qosPopUp->count() ? m_pm.qos : -1;
    if (m_qosPopUp->currentIndex() != qosIndex) {
        const QSignalBlocker quiet(m_qosPopUp);
        m_qosPopUp->setCurrentIndex(qosIndex);
    }
    if (m_retainCheckBox->isChecked() != m_pm.doRetain) {
        const QSignalBlocker quiet(m_retainCheckBox);
        m_retainCheckBox->setChecked(m_pm.doRetain);
    }
    if (!(m_shownValue == m_pm.value))
        showValue();
}

void VDLPublishViewController::showValue()
{
    m_showingValue = true;
    QTextDocument *const document = m_valueView->document();
    document->clear();
    QTextCursor cursor(document);
    if (const auto *styled = std::get_if<VOKMarkup>(&m_pm.value)) {
        const std::unique_ptr<QTextDocument> shown =
            vokAttributedStringWithStyle(styled->markup(), fixedPitchStyle())
                .toTextDocument(*fixedPitchStyle().font, m_valueView->palette().color(QPalette::Text));
        cursor.insertFragment(QTextDocumentFragment(shown.get()));
    } else {
        cursor.insertText(m_pm.valueAsString(), QTextCharFormat());
    }
    // Typing goes on in the plain style, whatever the last character showed.
    m_valueView->setCurrentCharFormat(QTextCharFormat());
    m_shownValue = m_pm.value;
    m_showingValue = false;
}

void VDLPublishViewController::valueEdited()
{
    if (!m_showingValue)
        takeEditedValue();
}

void VDLPublishViewController::takeEditedValue()
{
    // Only what the user changed is taken from the view: the view cannot show every character
    // of a value as it is (see VDLValueText).
    const QString shownNow = m_valueView->document()->toRawText();
    const QString before = m_pm.valueAsString();
    if (shownNow == VDLValueText::shown(before))
        return;
    const QString text = VDLValueText::edited(before, shownNow);
    m_shownValue = text;
    editPm([&](VDLPM &pm) { pm.value = text; });
}

void VDLPublishViewController::commitEditing()
{
    const QString path = m_pathField->text();
    if (path != m_pm.path)
        editPm([&](VDLPM &pm) { pm.path = path; });
    takeEditedValue();
}

void VDLPublishViewController::showErrString()
{
    m_errorLabel->setText(m_errString);
    m_errorLabel->setVisible(!m_errString.isNull());
}

void VDLPublishViewController::showHistoryEntries()
{
    const QList<VDLPM> history = m_client ? m_client->history() : QList<VDLPM>();
    const QSignalBlocker quiet(m_historyComboBox);
    m_historyComboBox->clear();
    for (const VDLPM &entry : history) {
        const QString value = entry.valueAsString();
        QString title = entry.path + separator + vokStringOnOneLine(value);
        if (entry.doRetain)
            title += QStringLiteral("  (retained)");
        m_historyComboBox->addItem(title);
        m_historyComboBox->setItemData(m_historyComboBox->count() - 1,
                                       QStringLiteral("%1\nQoS %2%3\n\n%4")
                                           .arg(entry.path)
                                           .arg(entry.qos)
                                           .arg(entry.doRetain ? QStringLiteral(", retained") : QString())
                                           .arg(value.left(2000)),
                                       Qt::ToolTipRole);
    }
    m_historyComboBox->setCurrentIndex(-1);
    m_historyComboBox->setEnabled(!history.isEmpty());
}

void VDLPublishViewController::flashPublishedLabel()
{
    const int generation = ++m_flashGeneration;
    if (m_fade)
        m_fade->stop();
    m_publishedOpacity->setOpacity(1.0);
    m_publishedLabel->show();
    // `this` as the context: once the window is gone, neither step runs.
    QTimer::singleShot(publishedShowMilliseconds, this, [this, generation] {
        if (generation != m_flashGeneration)
            return;
        auto *const fade = new QPropertyAnimation(m_publishedOpacity, "opacity", this);
        fade->setDuration(publishedFadeMilliseconds);
        fade->setStartValue(m_publishedOpacity->opacity());
        fade->setEndValue(0.0);
        connect(fade, &QPropertyAnimation::finished, this, [this, generation] {
            if (generation == m_flashGeneration)
                m_publishedLabel->hide();
        });
        m_fade = fade;
        fade->start(QAbstractAnimation::DeleteWhenStopped);
    });
}
