#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QDialog>
#include <QPalette>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QTest>
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

// Checks a button's place and caption; fails the calling test when they differ.
inline void verifyButton(const QWidget &form, const QString &name, const QRect &geometry,
                         const QString &caption)
{
    const auto *control = form.findChild<QAbstractButton *>(name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->text(), caption);
}

// Checks that Tab walks through the named controls in this order.
inline void verifyTabOrder(const QWidget &form, const QStringList &expected)
{
    QWidget *control = form.findChild<QWidget *>(expected.first());
    QVERIFY2(control != nullptr, qPrintable(expected.first()));
    for (qsizetype i = 1; i < expected.size(); ++i) {
        control = control->nextInFocusChain();
        QCOMPARE(control->objectName(), expected.at(i));
    }
}

// The frame both settings dialogs share: a fixed 292 x 146 client area, 11-pixel font, button face.
inline void verifySettingsDialogFrame(const QWidget &form)
{
    QCOMPARE(form.minimumSize(), QSize(292, 146));
    QCOMPARE(form.maximumSize(), QSize(292, 146));
    QCOMPARE(form.font().pixelSize(), 11);
    QCOMPARE(form.backgroundRole(), QPalette::Button);
}
