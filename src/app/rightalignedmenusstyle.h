#pragma once

#include <QProxyStyle>

// The style in use, except that a menu bar puts the menus that follow a
// separator at its right end, where desktops have long shown Help. Menu bars
// do that when their style asks for it through one hint, which only some
// styles give; this gives it whatever the style, and leaves everything else
// to the style. It is meant for a menu bar alone.
class RightAlignedMenusStyle : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr,
                  const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;
};
