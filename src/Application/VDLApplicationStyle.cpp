#include "VDLApplicationStyle.h"

#include "VDLApplication.h"
#include "VOKPreferences.h"

VDLApplicationStyle::VDLApplicationStyle() = default;

int VDLApplicationStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                                   QStyleHintReturn *returnData) const
{
    if (hint == SH_ToolTip_WakeUpDelay) {
        const QVariant delay = VOKPreferences::standard().objectForKey(VDLApplication::ToolTipDelayKey);
        if (delay.isValid())
            return int(VOKPreferences::standard().integerForKey(VDLApplication::ToolTipDelayKey));
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
