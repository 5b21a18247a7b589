#include "VDLHistoryBudgetSheet.h"

#include "VDLHistoryBudget.h"

#include "VOKPreferences.h"
#include "VOKSheet.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

namespace {

// Offered when the budget is first turned on: room for millions of small messages.
constexpr int suggestedMegabytes = 1024;

} // namespace

void VDLHistoryBudgetSheet::open(QWidget *window)
{
    const qint64 current = VOKPreferences::standard().integerForKey(QLatin1String(VDLHistoryBudget::PreferencesKey));
    auto *const accessory = new QWidget;
    auto *const layout = new QHBoxLayout(accessory);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *const enabled = new QCheckBox(QStringLiteral("Keep at most"), accessory);
    auto *const megabytes = new QSpinBox(accessory);
    megabytes->setRange(1, 1024 * 1024);
    megabytes->setValue(current > 0 ? int(std::min<qint64>(current, megabytes->maximum())) : suggestedMegabytes);
    megabytes->setEnabled(current > 0);
    enabled->setChecked(current > 0);
    QObject::connect(enabled, &QCheckBox::toggled, megabytes, &QWidget::setEnabled);
    layout->addWidget(enabled);
    layout->addWidget(megabytes);
    layout->addWidget(new QLabel(QStringLiteral("MB of message history"), accessory));
    layout->addStretch();
    VOKSheet::alert(
        window, QMessageBox::Question, QStringLiteral("Message History"),
        QStringLiteral("Without a budget every message is kept. Over the budget, the oldest messages of the "
                       "longest histories are dropped first; every topic keeps its latest message and its counts."),
        {QStringLiteral("OK"), QStringLiteral("Cancel")},
        [enabled, megabytes](int button) {
            if (button != 0)
                return;
            VOKPreferences::standard().setObject(enabled->isChecked() ? megabytes->value() : 0,
                                                 QLatin1String(VDLHistoryBudget::PreferencesKey));
        },
        accessory);
}
