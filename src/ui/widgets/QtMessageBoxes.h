#pragma once

#include "core/shell/MessageBoxes.h"

#include <QPointer>
#include <QWidget>

// The message boxes of the toolkit, modal over the main window and centred on it; details open
// with the box's "Show Details" button.
class QtMessageBoxes final : public MessageBoxes
{
public:
    void setParentWindow(QWidget *parent) { m_parent = parent; }

    Answer show(Kind kind, Buttons buttons, const std::string &text,
                const std::string &details = {}) override;

private:
    QPointer<QWidget> m_parent;
};
