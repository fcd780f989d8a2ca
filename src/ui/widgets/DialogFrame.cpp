#include "ui/widgets/DialogFrame.h"

#include "core/settings/ProgramTitle.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

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
    const QRect available = screen->availableGeometry();
    // A window that may be resized takes at most nine tenths of a small or scaled screen: the
    // rest is room for the frame that the window manager adds, whose size is not known before
    // the window is mapped. Its title bar and its buttons stay within reach.
    if (window->minimumSize() != window->maximumSize()) {
        const QSize limit(available.width() * 9 / 10, available.height() * 9 / 10);
        const QSize fitting = window->size().boundedTo(limit).expandedTo(window->minimumSize());
        if (fitting != window->size())
            window->resize(fitting);
    }
    QRect frame(QPoint(0, 0), window->frameGeometry().size());
    frame.moveCenter(available.center());
    // A window larger than the screen keeps its top left corner, and with it the title bar, on
    // the screen.
    window->move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
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
