#include "ui/widgets/QtMessageBoxes.h"

#include "ui/widgets/CoreText.h"
#include "ui/widgets/DialogFrame.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

// Opens in the middle of the main window, wherever that stands. The toolkit's own placement
// asks the window system where the main window is, which at start-up, before the window is
// mapped, answers with the top left corner of the screen.
class CentredMessageBox final : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        const QWidget *main = parentWidget() ? parentWidget()->window() : nullptr;
        if (main == nullptr || !main->isVisible() || main->isMinimized()) {
            centreOnScreen(this);
            return;
        }
        // Placed by the client areas: the box's frame is not known before it is mapped.
        QRect placed(QPoint(0, 0), size());
        placed.moveCenter(main->geometry().center());
        move(placed.topLeft());
    }
};

QString fromLocal(const std::string &text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

MessageBoxes::Answer QtMessageBoxes::show(Kind kind, Buttons buttons, const std::string &text,
                                          const std::string &details)
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
    QString shown = fromSingleByte(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QMessageBox::StandardButtons choice = buttons == Buttons::YesNo
                                                    ? QMessageBox::Yes | QMessageBox::No
                                                    : QMessageBox::StandardButtons(QMessageBox::Ok);
    CentredMessageBox box(icon, title, shown, choice, m_parent);
    box.setTextFormat(Qt::PlainText);
    if (!details.empty())
        box.setDetailedText(
            fromLocal(details).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const int pressed = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
}
