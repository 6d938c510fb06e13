#pragma once

// Finds the main window's menu items and toolbar buttons by their command
// id, so that a test clicks what a user would click.

#include "schedulerdlg.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

// The item of the menu bar (Help included, which sits in the bar's corner).
inline QAction *MenuItem(CSchedulerDlg &dlg, int id)
{
    QList<QMenuBar *> bars{dlg.menuBar()};
    if (auto *corner = qobject_cast<QMenuBar *>(dlg.menuBar()->cornerWidget(Qt::TopRightCorner)))
        bars << corner;
    for (QMenuBar *bar : bars)
        for (QAction *top : bar->actions())
            if (top->menu())
                for (QAction *item : top->menu()->actions())
                    if (item->data().toInt() == id)
                        return item;
    return nullptr;
}

inline QToolButton *ToolButton(CSchedulerDlg &dlg, int id)
{
    for (QAction *action : dlg.toolbar()->actions())
        if (action->data().toInt() == id)
            return qobject_cast<QToolButton *>(dlg.toolbar()->widgetForAction(action));
    return nullptr;
}
