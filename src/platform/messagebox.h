#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The application's title: the program's file name without extension. Boxes
// that have no caption of their own carry it.
QString ApplicationTitle();

// Shows a modal message box and returns the button that closed it. An empty
// caption means the application's title.
QMessageBox::StandardButton ShowMessageBox(QWidget *owner, const QString &text,
                                           const QString &caption = {},
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           QMessageBox::Icon icon = QMessageBox::NoIcon);
