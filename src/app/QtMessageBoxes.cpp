#include "app/QtMessageBoxes.h"

#include <QCoreApplication>
#include <QMessageBox>

MessageBoxes::Answer QtMessageBoxes::show(Kind kind, Buttons buttons, const std::string &text)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    QString title = QCoreApplication::translate("MessageBoxes", "Information");
    switch (kind) {
    case Kind::Error:
        icon = QMessageBox::Critical;
        title = QCoreApplication::translate("MessageBoxes", "Error");
        break;
    case Kind::Warning:
        icon = QMessageBox::Warning;
        title = QCoreApplication::translate("MessageBoxes", "Warning");
        break;
    case Kind::Information:
        break;
    }
    // The program's texts are single-byte with CR LF line ends; the toolkit breaks lines at LF
    // and would show a CR as a line of its own.
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QMessageBox::StandardButtons choice = buttons == Buttons::YesNo
                                                    ? QMessageBox::Yes | QMessageBox::No
                                                    : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(icon, title, shown, choice, m_parent);
    box.setTextFormat(Qt::PlainText);
    const int pressed = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
