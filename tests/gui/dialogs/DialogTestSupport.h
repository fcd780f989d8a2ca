#pragma once

#include <QAccessible>
#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <QWidget>

// Runs the dialog's own modal loop, as the main window does, and performs the user's steps inside
// it. A dialog that the steps leave open is cancelled, so a missing close shows up as Rejected.
template<typename Steps> int runModal(QDialog &dialog, Steps steps)
{
    QTimer::singleShot(0, &dialog, [&dialog, steps] {
        steps();
        if (dialog.isVisible())
            dialog.reject();
    });
    return dialog.exec();
}

// Object names of the given controls that a screen reader would find without a name or a
// description.
inline QStringList controlsWithoutAccessibleText(const QList<QWidget *> &controls)
{
    QStringList missing;
    for (QWidget *control : controls) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        if (accessible == nullptr || accessible->text(QAccessible::Name).isEmpty() ||
            accessible->text(QAccessible::Description).isEmpty())
            missing << control->objectName();
    }
    return missing;
}
