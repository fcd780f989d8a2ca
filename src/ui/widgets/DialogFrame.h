#pragma once

#include <QFont>
#include <QIcon>
#include <QRadioButton>
#include <QRect>
#include <QString>
#include <QWidget>
#include <initializer_list>

// The small windows share one look: a fixed client area in the button-face colour, Verdana 8 pt
// (11 px), centred on the screen.
QFont dialogFont();

// "Vorn v3.02": the main window's caption.
QString windowCaption();
// "Vorn v3.02 : <topic>", the caption pattern of every other window but the about box.
QString windowCaption(const QString &topic);

// The program's icon, which every window bears in its frame and in the task bar.
QIcon programIcon();

// Fixes the client area, the font, the colour and the icon of a small dialog.
void setUpDialogFrame(QWidget *dialog, int clientWidth, int clientHeight);

// Puts a window in the middle of the screen it is on, made smaller first where a resizable
// window would not fit; called just before it is mapped.
void centreOnScreen(QWidget *window);

// Screen readers announce the name and offer the description on request.
void describe(QWidget *control, const QString &name, const QString &description);

// Tab and Shift+Tab go through the controls in the order given.
void setTabChain(std::initializer_list<QWidget *> controls);

// Puts the focus on the chosen one of a group of radio buttons, so that a dialog opens on the
// choice in force and not where the focus was left the time before.
void focusChosen(std::initializer_list<QRadioButton *> buttons);

// Creates a captioned control at its fixed place; the object name is the one tests look for.
template<typename Control>
Control *addControl(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *control = new Control(text, parent);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(geometry);
    return control;
}
