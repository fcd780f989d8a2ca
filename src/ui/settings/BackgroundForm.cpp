#include "ui/settings/BackgroundForm.h"

#include "ui/widgets/DialogFrame.h"

#include <QPushButton>
#include <QRadioButton>

BackgroundForm::BackgroundForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BackgroundForm"));
    setUpDialogFrame(this, 292, 146);
    setWindowTitle(windowCaption(tr("Background")));

    m_okButton = addControl<QPushButton>(this, "OkButton", tr("OK"), QRect(57, 112, 75, 25));
    m_cancelButton =
        addControl<QPushButton>(this, "CancelButton", tr("Cancel"), QRect(161, 112, 75, 25));
    m_mapButton =
        addControl<QRadioButton>(this, "MapButton", tr("World map"), QRect(106, 16, 80, 17));
    m_blueButton =
        addControl<QRadioButton>(this, "BlueButton", tr("Plain blue"), QRect(106, 48, 80, 17));
    m_whiteButton =
        addControl<QRadioButton>(this, "WhiteButton", tr("Plain white"), QRect(106, 80, 80, 17));

    describe(m_okButton, tr("OK"), tr("Use the chosen background and close"));
    describe(m_cancelButton, tr("Cancel"), tr("Close without changing the background"));
    describe(m_mapButton, tr("World map"), tr("Show the world map behind the main window"));
    describe(m_blueButton, tr("Plain blue"), tr("Give the main window a plain dark blue colour"));
    describe(m_whiteButton, tr("Plain white"), tr("Give the main window a plain white colour"));

    setTabChain({m_okButton, m_cancelButton, m_mapButton, m_blueButton, m_whiteButton});

    // Return takes the choice from wherever the focus is, but Cancel.
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &BackgroundForm::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &BackgroundForm::reject);

    showStoredChoice();
}

void BackgroundForm::setBackground(Background background)
{
    m_background = background;
    showStoredChoice();
}

void BackgroundForm::showEvent(QShowEvent *event)
{
    // Reloaded at every opening, so a choice left with Cancel does not linger.
    setWindowTitle(windowCaption(tr("Background")));
    showStoredChoice();
    focusChosen({m_mapButton, m_blueButton, m_whiteButton});
    centreOnScreen(this);
    QDialog::showEvent(event);
}

void BackgroundForm::showStoredChoice()
{
    switch (m_background) {
    case Background::WorldMap:
        m_mapButton->setChecked(true);
        break;
    case Background::PlainBlue:
        m_blueButton->setChecked(true);
        break;
    case Background::PlainWhite:
        m_whiteButton->setChecked(true);
        break;
    }
}

Background BackgroundForm::background() const
{
    // Tested in this order, the last selected button wins.
    Background chosen = m_background;
    if (m_mapButton->isChecked())
        chosen = Background::WorldMap;
    if (m_blueButton->isChecked())
        chosen = Background::PlainBlue;
    if (m_whiteButton->isChecked())
        chosen = Background::PlainWhite;
    return chosen;
}

void BackgroundForm::accept()
{
    // Kept, so that the next opening shows this choice even if the caller hands in nothing.
    m_background = background();
    QDialog::accept();
}

void BackgroundForm::reject()
{
    // Cancel, Escape and the close box all come here; the handed-in value stays what it was.
    showStoredChoice();
    QDialog::reject();
}
