#include "ui/settings/ApplyBackground.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>

namespace {

const QColor Navy(0, 0, 128);
const QColor White(255, 255, 255);
const QColor Silver(192, 192, 192);
const QColor Blue(0, 0, 255);

void setWindowColour(QWidget *mainWindow, const QColor &colour)
{
    QPalette palette = mainWindow->palette();
    palette.setColor(QPalette::Window, colour);
    mainWindow->setPalette(palette);
    mainWindow->setAutoFillBackground(true);

    // The colour is the window's, not the menu's: the menu bar would inherit it and turn its black
    // captions unreadable on navy.
    const auto menuBars = mainWindow->findChildren<QMenuBar *>(Qt::FindDirectChildrenOnly);
    for (QMenuBar *menuBar : menuBars) {
        QPalette menuPalette = menuBar->palette();
        menuPalette.setColor(QPalette::Window,
                             QApplication::palette(menuBar).color(QPalette::Window));
        menuBar->setPalette(menuPalette);
    }
}

// The captions and answers stand on the client area and take its text colour.
void setTextColour(QWidget *mainWindow, const QColor &colour)
{
    auto *window = qobject_cast<QMainWindow *>(mainWindow);
    QWidget *client = window != nullptr ? window->centralWidget() : nullptr;
    if (client == nullptr)
        return;
    QPalette palette = client->palette();
    palette.setColor(QPalette::WindowText, colour);
    client->setPalette(palette);
}

void makeSilver(QWidget *widget)
{
    if (widget == nullptr)
        return;
    // Edit fields paint their text area in the base colour; a window paints its window colour.
    // Only that one role changes, so the query window's own edit fields keep theirs.
    const bool isEditField = qobject_cast<QLineEdit *>(widget) != nullptr ||
                             qobject_cast<QAbstractScrollArea *>(widget) != nullptr;
    QPalette palette = widget->palette();
    palette.setColor(isEditField ? QPalette::Base : QPalette::Window, Silver);
    widget->setPalette(palette);
    if (!isEditField)
        widget->setAutoFillBackground(true);
}

} // namespace

QColor textColour(Background background)
{
    // Blue stands out on the pale map and on white (8.6 : 1); on navy it would not (1.9 : 1).
    return background == Background::PlainBlue ? White : Blue;
}

void applyBackground(Background background, QWidget *mainWindow, QWidget *map, QWidget *callEdit,
                     QWidget *queryForm, QWidget *queryMemo)
{
    setTextColour(mainWindow, textColour(background));
    switch (background) {
    case Background::WorldMap:
        // The map covers the whole client area, so the window colour stays as it was.
        if (map != nullptr)
            map->setVisible(true);
        break;
    case Background::PlainBlue:
        if (map != nullptr)
            map->setVisible(false);
        if (mainWindow != nullptr)
            setWindowColour(mainWindow, Navy);
        break;
    case Background::PlainWhite:
        if (map != nullptr)
            map->setVisible(false);
        if (mainWindow != nullptr)
            setWindowColour(mainWindow, White);
        break;
    }
    makeSilver(callEdit);
    makeSilver(queryForm);
    makeSilver(queryMemo);
}
