#pragma once

#include "core/settings/AppSettings.h"

class QWidget;

// Turns the background setting into the main window's look: the world map, or a plain navy or
// white window. The call field and the query window with its answer field turn silver in every
// case. queryForm and queryMemo may be null when there is no query window.
void applyBackground(Background background, QWidget *mainWindow, QWidget *map, QWidget *callEdit,
                     QWidget *queryForm = nullptr, QWidget *queryMemo = nullptr);
