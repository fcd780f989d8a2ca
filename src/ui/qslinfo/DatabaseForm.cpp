#include "ui/qslinfo/DatabaseForm.h"

#include "core/net/QslInfoRequest.h"
#include "core/settings/AppSettings.h"
#include "core/settings/BuildSettings.h"
#include "core/text/TextLines.h"
#include "ui/widgets/CallEdit.h"
#include "ui/widgets/CoreText.h"
#include "ui/widgets/DialogFrame.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int OwnCallLength = 16;

} // namespace

DatabaseForm::DatabaseForm(const QslInfoServer &server, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DatabaseForm"));
    // An ordinary frame that may grow, but never so small that controls are cut.
    resize(ClientWidth, ClientHeight);
    setMinimumSize(ClientWidth, ClientHeight);
    setFont(dialogFont());
    setBackgroundRole(QPalette::Button);
    setWindowTitle(windowCaption(tr("Database")));
    setWindowIcon(programIcon());

    const QString service = QString::fromStdString(server.displayName());
    m_autoButton = addControl<QRadioButton>(this, "AutoButton",
                                            tr("Consult %1 database automaticaly").arg(service),
                                            QRect(10, 94, 315, 17));
    m_manualButton = addControl<QRadioButton>(this, "ManualButton",
                                              tr("Consult %1 database on request").arg(service),
                                              QRect(10, 126, 315, 17));
    m_noButton = addControl<QRadioButton>(
        this, "NoButton", tr("Do not consult %1 database").arg(service), QRect(10, 158, 315, 17));
    m_okButton = addControl<QPushButton>(this, "OkButton", tr("OK"), QRect(78, 240, 75, 25));
    m_cancelButton =
        addControl<QPushButton>(this, "CancelButton", tr("Cancel"), QRect(178, 240, 75, 25));
    // Return presses OK, or the button that has the focus.
    m_okButton->setDefault(true);

    m_callBox = addControl<QGroupBox>(this, "CallBox", tr("Callsign info (optional) : "),
                                      QRect(8, 8, 316, 70));
    m_callLabel =
        addControl<QLabel>(m_callBox, "CallLabel", tr("your callsign : "), QRect(53, 20, 89, 21));
    m_callLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_callEdit = new CallEdit(m_callBox);
    m_callEdit->setObjectName(QStringLiteral("CallEdit"));
    m_callEdit->setGeometry(141, 20, 121, 21);
    m_callEdit->setMaxLength(OwnCallLength);
    m_callLabel->setBuddy(m_callEdit);
    m_anonimousBox =
        addControl<QCheckBox>(m_callBox, "AnonimousBox", tr("Anonimous"), QRect(113, 48, 89, 17));

    m_infoLabel =
        addControl<QLabel>(this, "InfoLabel",
                           tr("%1 is the Internet's #1 QSL information search\nmaintained by %2")
                               .arg(service, QString::fromUtf8(QslInfoMaintainers)),
                           QRect(10, 190, 312, 42));
    m_infoLabel->setAlignment(Qt::AlignCenter);
    m_infoLabel->setWordWrap(true);
    QFont bold = m_infoLabel->font();
    bold.setBold(true);
    m_infoLabel->setFont(bold);
    // Navy on the tool-tip colour; the roles are explicit, the dialog's would be inherited.
    QPalette infoPalette = m_infoLabel->palette();
    infoPalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_infoLabel->setPalette(infoPalette);
    m_infoLabel->setBackgroundRole(QPalette::ToolTipBase);
    m_infoLabel->setForegroundRole(QPalette::WindowText);
    m_infoLabel->setAutoFillBackground(true);

    describe(m_autoButton, m_autoButton->text(), tr("Query the service after every look-up"));
    describe(m_manualButton, m_manualButton->text(),
             tr("Query the service with the Query button of its window"));
    describe(m_noButton, m_noButton->text(), tr("Switch the service off"));
    describe(m_okButton, tr("OK"), tr("Keep these settings and close"));
    describe(m_cancelButton, tr("Cancel"), tr("Close without changing the settings"));
    describe(m_callEdit, tr("your callsign"), tr("Sent with each query; empty for anonymous"));
    describe(m_anonimousBox, tr("Anonimous"), tr("Send queries without your callsign"));

    setTabChain({m_autoButton, m_manualButton, m_noButton, m_okButton, m_cancelButton, m_callEdit,
                 m_anonimousBox});

    // The own call matters only while the service is on; the group shows it greyed otherwise.
    connect(m_noButton, &QRadioButton::toggled, m_callBox, &QGroupBox::setDisabled);
    connect(m_anonimousBox, &QCheckBox::toggled, this, &DatabaseForm::anonimousBoxClick);
    connect(m_okButton, &QPushButton::clicked, this, &DatabaseForm::okButtonClick);
    // The call field takes Return for itself; here it means OK as everywhere else.
    connect(m_callEdit, &CallEdit::lookUpRequested, m_okButton, &QPushButton::click);
    connect(m_cancelButton, &QPushButton::clicked, this, &DatabaseForm::reject);
}

bool DatabaseForm::edit(AppSettings &settings)
{
    m_settings = &settings;
    const bool stored = exec() == QDialog::Accepted;
    m_settings = nullptr;
    return stored;
}

void DatabaseForm::showEvent(QShowEvent *event)
{
    formActivate();
    focusChosen({m_autoButton, m_manualButton, m_noButton});
    centreOnScreen(this);
    QDialog::showEvent(event);
}

void DatabaseForm::formActivate()
{
    setWindowTitle(windowCaption(tr("Database")));
    if (m_settings == nullptr)
        return;
    switch (m_settings->qslInfoMode) {
    case QslInfoMode::None:
        m_noButton->setChecked(true);
        break;
    case QslInfoMode::Manual:
        m_manualButton->setChecked(true);
        break;
    case QslInfoMode::Auto:
        m_autoButton->setChecked(true);
        break;
    }
    m_callBox->setEnabled(m_settings->qslInfoMode != QslInfoMode::None);
    const bool anonymous = m_settings->ownCall.empty();
    m_anonimousBox->setChecked(anonymous);
    anonimousBoxClick(anonymous);
    if (!anonymous)
        m_callEdit->setText(fromSingleByte(m_settings->ownCall));
}

void DatabaseForm::anonimousBoxClick(bool ticked)
{
    m_callEdit->setEnabled(!ticked);
    m_callLabel->setEnabled(!ticked);
    if (ticked)
        m_callEdit->clear();
}

void DatabaseForm::okButtonClick()
{
    if (m_settings != nullptr) {
        if (m_autoButton->isChecked())
            m_settings->qslInfoMode = QslInfoMode::Auto;
        else if (m_manualButton->isChecked())
            m_settings->qslInfoMode = QslInfoMode::Manual;
        else
            m_settings->qslInfoMode = QslInfoMode::None;
        // Also while the service is off, so that the own call survives until it is on again.
        m_settings->ownCall = trimBlanks(toSingleByte(m_callEdit->text()));
    }
    accept();
}
