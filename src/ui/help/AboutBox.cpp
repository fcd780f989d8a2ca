#include "ui/help/AboutBox.h"

#include "ui/widgets/DialogFrame.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry,
                 Qt::Alignment alignment)
{
    auto *label = addControl<QLabel>(parent, name, text, geometry);
    label->setAlignment(alignment);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// The panel paints its text in the tooltip colour, which its labels inherit as their
// foreground role; a coloured label takes the window-text role back.
void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
    widget->setForegroundRole(QPalette::WindowText);
}

} // namespace

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setUpDialogFrame(this, 432, 276);
    setWindowTitle(QStringLiteral("About ") + windowCaption());

    // A lowered outer and a raised inner bevel: the etched look of a sunken box.
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(9, 8, 415, 224);
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setMidLineWidth(0);
    panel->setBackgroundRole(QPalette::ToolTipBase);
    panel->setForegroundRole(QPalette::ToolTipText);
    panel->setAutoFillBackground(true);
    describe(panel, tr("About Vorn"), tr("What the program is, who makes it and its licence"));

    auto *icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(8, 8, 105, 57);
    icon->setScaledContents(true);
    icon->setPixmap(QPixmap(QStringLiteral(":/vorn/about.png")));
    describe(icon, tr("Vorn picture"), tr("The program's picture"));

    const QString productText = tr("Vorn QSL bureau finder");
    auto *productName =
        addLabel(panel, "ProductName", productText, QRect(121, 12, 286, 13), Qt::AlignCenter);
    QFont bold = productName->font();
    bold.setBold(true);
    productName->setFont(bold);
    productName->setWordWrap(false);
    describe(productName, productText, tr("The program's name"));

    // No address of any kind: the project has no public web site or e-mail address.
    const QString authorText = tr("Written by the Vorn developers\n"
                                  "Country data: cty.dat by Jim Reisert AD1C");
    auto *author = addLabel(panel, "Author", authorText, QRect(121, 34, 286, 26), Qt::AlignCenter);
    describe(author, authorText, tr("Who makes Vorn and where its country data come from"));

    const QString infoText = tr("Find the right IARU QSL bureau based on callsign or prefix");
    auto *infoLabel =
        addLabel(panel, "InfoLabel", infoText, QRect(8, 74, 399, 13), Qt::AlignCenter);
    infoLabel->setWordWrap(false);
    describe(infoLabel, infoText, tr("What the program does"));

    const QString licenceText =
        tr("Licence :\nVorn is free software under the GNU General Public License, version 3 or "
           "later (GPL-3.0-or-later), with ABSOLUTELY NO WARRANTY; see LICENSE. Its country "
           "data are generated from cty.dat by the country-files project and keep its MIT "
           "licence (see COPYING.cty).");
    auto *licence = addLabel(panel, "LicenceLabel", licenceText, QRect(8, 94, 399, 65),
                             Qt::AlignLeft | Qt::AlignTop);
    setTextColour(licence, QColor(0, 0, 255));
    describe(licence, licenceText, tr("The terms of use and distribution"));

    const QString disclaimerText =
        tr("Disclaimer :\nThe author can not be held liable for any direct, indirect, "
           "consequential or incidental damages to other pieces of software, equipment, goods or "
           "persons arising from the use of this software.");
    auto *disclaimer = addLabel(panel, "Disclaimer", disclaimerText, QRect(8, 166, 399, 52),
                                Qt::AlignLeft | Qt::AlignTop);
    setTextColour(disclaimer, QColor(255, 0, 0));
    describe(disclaimer, disclaimerText, tr("Limits of the makers' liability"));

    m_dataLabel = addLabel(this, "DataLabel", QString(), QRect(9, 236, 160, 36),
                           Qt::AlignLeft | Qt::AlignVCenter);

    m_callsLabel = addLabel(this, "ExactCallsLabel", QString(), QRect(262, 236, 162, 36),
                            Qt::AlignRight | Qt::AlignVCenter);

    m_okButton = addControl<QPushButton>(this, "OKButton", tr("OK"), QRect(178, 243, 75, 25));
    m_okButton->setDefault(true);
    describe(m_okButton, tr("OK"), tr("Close the about box"));
    connect(m_okButton, &QPushButton::clicked, this, &AboutBox::accept);
}

void AboutBox::setDataInUse(const QString &text)
{
    const QString shown = tr("Installed: %1").arg(text);
    m_dataLabel->setText(shown);
    describe(m_dataLabel, shown, tr("The version of the data files in use"));
}

void AboutBox::setExactCallList(const QString &text)
{
    m_callsLabel->setText(text);
    describe(m_callsLabel, text, tr("The list of exact calls in use"));
}

void AboutBox::showEvent(QShowEvent *event)
{
    centreOnScreen(this);
    m_okButton->setFocus();
    QDialog::showEvent(event);
}
