#include "ui/widgets/CallEdit.h"

#include "core/text/CallText.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QValidator>
#include <algorithm>
#include <string>
#include <string_view>

namespace {

// Turns small ASCII letters into capitals, and the slashed zero (Ø, ø) into the digit 0, in
// whatever reaches the field. Text that a single-byte character set cannot hold is refused, so
// the look-up sees exactly what the field shows. Control characters are left out as the
// keyboard leaves them out of typed text, and so are blanks before the call, typed or pasted.
class CallValidator final : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &position) const override
    {
        QString kept;
        kept.reserve(input.size());
        for (qsizetype i = 0; i < input.size(); ++i) {
            const char16_t code = input[i].unicode();
            if (code > 0xff)
                return Invalid;
            const char c = static_cast<char>(code);
            if (CallText::refuses(c) || (kept.isEmpty() && c == ' ')) {
                if (i < position)
                    --position;
                continue;
            }
            kept.append(QLatin1Char(CallText::fold(c)));
        }
        input = kept;
        return Acceptable;
    }
};

// The first call of pasted text. Characters that no single byte holds separate nothing; they
// stay for the validator to refuse.
QString firstPastedCall(const QString &text)
{
    std::string image(static_cast<std::size_t>(text.size()), 'x');
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() <= 0xff)
            image[static_cast<std::size_t>(i)] = static_cast<char>(text[i].unicode());
    }
    const std::string_view call = CallText::firstPasted(image);
    return text.mid(call.data() - image.data(), static_cast<qsizetype>(call.size()));
}

bool isLookUpKey(const QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    // Ctrl, Alt or Meta with Return do not type the carriage return that starts a look-up.
    return (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
}

// Alt (or Meta) with a character that no menu or button took as its access key: meant as a
// command, it types nothing. AltGr, which some systems report as Ctrl+Alt, still types.
bool isUnusedAccessKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (!(modifiers & (Qt::AltModifier | Qt::MetaModifier)) || (modifiers & Qt::ControlModifier))
        return false;
    return !event->text().isEmpty() && event->text().front().isPrint();
}

} // namespace

CallEdit::CallEdit(QWidget *parent) : QLineEdit(parent)
{
    setMaxLength(static_cast<int>(CallText::MaxLength));
    setValidator(new CallValidator(this));
}

bool CallEdit::event(QEvent *event)
{
    // Seen here, before the field's own handling, so that Tab and keys without a character
    // count as well.
    if (event->type() == QEvent::KeyPress)
        emit keyWentDown();
    return QLineEdit::event(event);
}

void CallEdit::insertPasted(const QString &text)
{
    if (!isReadOnly())
        insert(firstPastedCall(text));
}

void CallEdit::keyPressEvent(QKeyEvent *event)
{
    if (isLookUpKey(event)) {
        event->accept();
        emit lookUpRequested();
        return;
    }
    if (isUnusedAccessKey(event)) {
        event->ignore();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        insertPasted(QGuiApplication::clipboard()->text());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CallEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The standard menu's Paste, known by the text the line edit gives it, pastes as Ctrl+V does.
    for (QAction *action : menu->actions()) {
        if (action->text().section(QLatin1Char('\t'), 0, 0) != QLineEdit::tr("&Paste"))
            continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this,
                [this] { insertPasted(QGuiApplication::clipboard()->text()); });
    }
    menu->popup(event->globalPos());
}

void CallEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the X11 selection where the press put the cursor.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        event->accept();
        deselect();
        insertPasted(QGuiApplication::clipboard()->text(QClipboard::Selection));
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void CallEdit::dropEvent(QDropEvent *event)
{
    const QMimeData *dropped = event->mimeData();
    if (dropped == nullptr || !dropped->hasText()) {
        QLineEdit::dropEvent(event);
        return;
    }
    QMimeData first;
    first.setText(firstPastedCall(dropped->text()));
    QDropEvent drop(event->position(), event->possibleActions(), &first, event->buttons(),
                    event->modifiers(), event->type());
    drop.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&drop);
    event->setDropAction(drop.dropAction());
    event->setAccepted(drop.isAccepted());
}

void CallEdit::focusInEvent(QFocusEvent *event)
{
    // The field would select its whole text when reached by Tab or a shortcut; the previous
    // call is meant to stay as it is.
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason: {
        QFocusEvent plain(event->type(), Qt::OtherFocusReason);
        QLineEdit::focusInEvent(&plain);
        break;
    }
    default:
        QLineEdit::focusInEvent(event);
        break;
    }
    // The field drops its selection when the menu bar, a menu opened from the keyboard or
    // another window takes the focus. A looked-up call must come back selected, or the next
    // call typed would be joined to it.
    if (m_anchorAtFocusOut != m_cursorAtFocusOut && !hasSelectedText() &&
        std::max(m_anchorAtFocusOut, m_cursorAtFocusOut) <= text().size())
        setSelection(m_anchorAtFocusOut, m_cursorAtFocusOut - m_anchorAtFocusOut);
    m_anchorAtFocusOut = m_cursorAtFocusOut = 0;
}

void CallEdit::focusOutEvent(QFocusEvent *event)
{
    m_cursorAtFocusOut = cursorPosition();
    m_anchorAtFocusOut = m_cursorAtFocusOut;
    if (hasSelectedText()) {
        const int start = selectionStart();
        m_anchorAtFocusOut = m_cursorAtFocusOut == start ? start + selectionLength() : start;
    }
    QLineEdit::focusOutEvent(event);
}

void CallEdit::inputMethodEvent(QInputMethodEvent *event)
{
    // Composed characters arrive without a key press, but they are typing all the same.
    if (!event->commitString().isEmpty() || !event->preeditString().isEmpty())
        emit keyWentDown();
    QLineEdit::inputMethodEvent(event);
}
