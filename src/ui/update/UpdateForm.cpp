#include "ui/update/UpdateForm.h"

#include "ui/widgets/DialogFrame.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

UpdateForm::UpdateForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UpdateForm"));
    setUpDialogFrame(this, ClientWidth, ClientHeight);
    setWindowTitle(windowCaption(tr("Updates")));
    // A fixed dialog frame: a title and a close box, nothing to minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    m_autoButton = addControl<QRadioButton>(this, "AutoButton",
                                            tr("Check for updates and update automaticaly"),
                                            QRect(10, 16, 272, 17));
    m_manualButton = addControl<QRadioButton>(
        this, "ManualButton", tr("Check for updates and let me know"), QRect(10, 48, 272, 17));
    m_noButton = addControl<QRadioButton>(this, "NoButton", tr("Do not check for updates"),
                                          QRect(10, 80, 272, 17));
    m_okButton = addControl<QPushButton>(this, "OkButton", tr("OK"), QRect(9, 112, 75, 25));
    m_checkButton =
        addControl<QPushButton>(this, "CheckButton", tr("Check now"), QRect(109, 112, 75, 25));
    m_cancelButton =
        addControl<QPushButton>(this, "CancelButton", tr("Cancel"), QRect(209, 112, 75, 25));

    // Below the buttons, so that the settings keep their places: what a check compares with.
    m_dataLabel = addControl<QLabel>(this, "DataLabel", QString(), QRect(10, 144, 272, 14));
    m_dataLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_dataLabel->setForegroundRole(QPalette::PlaceholderText);

    describe(m_autoButton, m_autoButton->text(),
             tr("At start-up, download new data files without asking"));
    describe(m_manualButton, m_manualButton->text(),
             tr("At start-up, ask before downloading new data files"));
    describe(m_noButton, m_noButton->text(), tr("Never check for new data files at start-up"));
    describe(m_okButton, tr("OK"), tr("Keep the chosen setting and close"));
    describe(m_checkButton, tr("Check now"), tr("Close and check the web server for new data now"));
    describe(m_cancelButton, tr("Cancel"), tr("Close without changing the setting"));

    setTabChain(
        {m_autoButton, m_manualButton, m_noButton, m_okButton, m_checkButton, m_cancelButton});

    // Return takes the choice from wherever the focus is, but the other two buttons.
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, [this] { closeWith(Button::Ok); });
    connect(m_checkButton, &QPushButton::clicked, this, [this] { closeWith(Button::CheckNow); });
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { closeWith(Button::Cancel); });
}

UpdateDialog::Choice UpdateForm::exec(UpdateMode stored, const std::string &dataInUse)
{
    m_stored = stored;
    const QString installed = tr("Installed: %1").arg(QString::fromStdString(dataInUse));
    m_dataLabel->setText(installed);
    describe(m_dataLabel, installed, tr("The version of the data files in use"));
    m_button = Button::CloseBox;
    QDialog::exec();
    return {m_button, selectedMode()};
}

void UpdateForm::showEvent(QShowEvent *event)
{
    // Every opening shows the stored mode; a selection left with Cancel does not linger.
    setWindowTitle(windowCaption(tr("Updates")));
    showMode(m_stored);
    focusChosen({m_autoButton, m_manualButton, m_noButton});
    centreOnScreen(this);
    QDialog::showEvent(event);
}

void UpdateForm::showMode(UpdateMode mode)
{
    switch (mode) {
    case UpdateMode::None:
        m_noButton->setChecked(true);
        break;
    case UpdateMode::Manual:
        m_manualButton->setChecked(true);
        break;
    case UpdateMode::Auto:
        m_autoButton->setChecked(true);
        break;
    }
}

UpdateMode UpdateForm::selectedMode() const
{
    if (m_autoButton->isChecked())
        return UpdateMode::Auto;
    if (m_manualButton->isChecked())
        return UpdateMode::Manual;
    if (m_noButton->isChecked())
        return UpdateMode::None;
    return m_stored;
}

void UpdateForm::closeWith(Button button)
{
    m_button = button;
    QDialog::accept();
}

void UpdateForm::reject()
{
    // Escape and the close box end the dialog without a button.
    m_button = Button::CloseBox;
    QDialog::reject();
}
