#include "ui/settings/SpeakForm.h"

#include "ui/widgets/DialogFrame.h"

#include <QCheckBox>
#include <QPushButton>

SpeakForm::SpeakForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SpeakForm"));
    setUpDialogFrame(this, 292, 146);
    setWindowTitle(windowCaption(tr("Voice output")));

    m_okButton = addControl<QPushButton>(this, "OkButton", tr("OK"), QRect(57, 112, 75, 25));
    m_cancelButton =
        addControl<QPushButton>(this, "CancelButton", tr("Cancel"), QRect(161, 112, 75, 25));
    m_sortBox =
        addControl<QCheckBox>(this, "SortBox", tr("Sort QSL under"), QRect(91, 16, 110, 17));
    m_bureauBox =
        addControl<QCheckBox>(this, "BureauBox", tr("QSL bureau"), QRect(91, 48, 110, 17));
    m_dxccBox = addControl<QCheckBox>(this, "DxccBox", tr("DXCC / WAE"), QRect(91, 80, 110, 17));

    describe(m_okButton, tr("OK"), tr("Use the chosen voice output and close"));
    describe(m_cancelButton, tr("Cancel"), tr("Close without changing the voice output"));
    describe(m_sortBox, tr("Sort QSL under"), tr("Speak the prefix the QSL card is sorted under"));
    describe(m_bureauBox, tr("QSL bureau"), tr("Speak the QSL bureau that serves the call"));
    describe(m_dxccBox, tr("DXCC / WAE"), tr("Speak the DXCC or WAE entity of the call"));

    setTabChain({m_okButton, m_cancelButton, m_sortBox, m_bureauBox, m_dxccBox});

    // Return takes the choices from wherever the focus is, but Cancel.
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &SpeakForm::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &SpeakForm::reject);

    showStoredChoices();
}

void SpeakForm::setChoices(bool speakSort, bool speakBureau, bool speakDxcc)
{
    m_speakSort = speakSort;
    m_speakBureau = speakBureau;
    m_speakDxcc = speakDxcc;
    showStoredChoices();
}

void SpeakForm::showEvent(QShowEvent *event)
{
    // Reloaded at every opening, so boxes changed and then cancelled do not linger.
    setWindowTitle(windowCaption(tr("Voice output")));
    showStoredChoices();
    // Every opening starts on the first box, not where the focus was left last time.
    m_sortBox->setFocus(Qt::OtherFocusReason);
    centreOnScreen(this);
    QDialog::showEvent(event);
}

void SpeakForm::showStoredChoices()
{
    m_sortBox->setChecked(m_speakSort);
    m_bureauBox->setChecked(m_speakBureau);
    m_dxccBox->setChecked(m_speakDxcc);
}

bool SpeakForm::speakSort() const
{
    return m_sortBox->isChecked();
}

bool SpeakForm::speakBureau() const
{
    return m_bureauBox->isChecked();
}

bool SpeakForm::speakDxcc() const
{
    return m_dxccBox->isChecked();
}

void SpeakForm::accept()
{
    // Kept, so that the next opening shows this choice even if the caller hands in nothing.
    m_speakSort = speakSort();
    m_speakBureau = speakBureau();
    m_speakDxcc = speakDxcc();
    QDialog::accept();
}

void SpeakForm::reject()
{
    // Cancel, Escape and the close box all come here; the handed-in flags stay what they were.
    showStoredChoices();
    QDialog::reject();
}
