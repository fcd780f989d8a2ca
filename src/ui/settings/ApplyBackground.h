#pragma once

#include "core/settings/AppSettings.h"

#include <QColor>

class QWidget;

// The colour of the captions and answers on a background: blue, and white on navy, so that they
// keep a contrast of at least 4.5 : 1 to what they stand on.
QColor textColour(Background background);

// Turns the background setting into the main window's look: the world map, or a plain navy or
// white window, with the text colour of that background for the labels of its client area
// (the main window's central widget). The call field and the query window with its answer field
// turn silver in every case. queryForm and queryMemo may be null when there is no query window.
void applyBackground(Background background, QWidget *mainWindow, QWidget *map, QWidget *callEdit,
                     QWidget *queryForm = nullptr, QWidget *queryMemo = nullptr);
