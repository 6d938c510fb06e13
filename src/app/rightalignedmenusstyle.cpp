#include "rightalignedmenusstyle.h"

int RightAlignedMenusStyle::styleHint(StyleHint hint, const QStyleOption *option,
                                      const QWidget *widget, QStyleHintReturn *returnData) const
{
    if (hint == SH_DrawMenuBarSeparator)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
