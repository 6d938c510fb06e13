#pragma once

// Finds the main window's menu items and toolbar buttons by their command
// id, so that a test clicks what a user would click.

#include "schedulerdlg.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

// The item of the menu bar.
inline QAction *MenuItem(CSchedulerDlg &dlg, int id)
{
    for (QAction *top : dlg.menuBar()->actions())
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
