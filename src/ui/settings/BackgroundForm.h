#pragma once

#include "core/settings/AppSettings.h"

#include <QDialog>

class QPushButton;
class QRadioButton;

// Lets the user choose the main window's background. A pure view: the caller hands in the stored
// value with setBackground, runs the dialog, and reads background() back; Cancel puts the radio
// buttons back, so background() then gives the handed-in value again.
class BackgroundForm : public QDialog
{
    Q_OBJECT

public:
    explicit BackgroundForm(QWidget *parent = nullptr);

    void setBackground(Background background);
    Background background() const;

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showStoredChoice();

    Background m_background = Background::WorldMap;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QRadioButton *m_mapButton = nullptr;
    QRadioButton *m_blueButton = nullptr;
    QRadioButton *m_whiteButton = nullptr;
};
