#include "ui/widgets/DialogFrame.h"

#include "core/settings/ProgramTitle.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

QFont dialogFont()
{
    QFont font(QStringLiteral("Verdana"));
    // Verdana is rarely installed on Linux; DejaVu Sans has nearly the same metrics.
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    return font;
}

QString windowCaption()
{
    return QString::fromStdString(programCaption());
}

QString windowCaption(const QString &topic)
{
    return windowCaption() + QStringLiteral(" : ") + topic;
}

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/vorn/icon.png"));
}

void setUpDialogFrame(QWidget *dialog, int clientWidth, int clientHeight)
{
    dialog->setWindowIcon(programIcon());
    dialog->setFixedSize(clientWidth, clientHeight);
    dialog->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFont(dialogFont());
    dialog->setBackgroundRole(QPalette::Button);
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame(QPoint(0, 0), window->frameGeometry().size());
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void describe(QWidget *control, const QString &name, const QString &description)
{
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

void setTabChain(std::initializer_list<QWidget *> controls)
{
    QWidget *previous = nullptr;
    for (QWidget *control : controls) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void focusChosen(std::initializer_list<QRadioButton *> buttons)
{
    for (QRadioButton *button : buttons) {
        if (button->isChecked())
            button->setFocus(Qt::OtherFocusReason);
    }
}
