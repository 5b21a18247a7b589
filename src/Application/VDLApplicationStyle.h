#pragma once

#include <QProxyStyle>

// The platform's style, with the tooltip delay taken from the preferences (the key
// VDLApplication::ToolTipDelayKey) so tooltips come up as quickly as the application wants.
//
// Ownership: QApplication::setStyle takes it. Thread: GUI thread only.
class VDLApplicationStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    VDLApplicationStyle();

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};
