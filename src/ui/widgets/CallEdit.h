#pragma once

#include <QLineEdit>

// The one-line call field: at most 15 characters, small ASCII letters turned into capitals
// whether typed or pasted, nothing newly selected when the field takes the focus, and the
// selection kept while the focus is elsewhere. Every key is announced before the field handles
// it; Return and Enter start a look-up and go no further, and Alt with a letter that is no
// access key types nothing. Of pasted or dropped text only the first call goes in.
class CallEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit CallEdit(QWidget *parent = nullptr);

    // Puts the first call of the text in at the cursor, as every way of pasting does.
    void insertPasted(const QString &text);

signals:
    // Any key went down in the field, Return included, also one that types nothing.
    void keyWentDown();
    // Return or Enter was pressed; the field itself does not see the key.
    void lookUpRequested();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The selection when the focus left, as anchor and cursor; equal when nothing was selected.
    int m_anchorAtFocusOut = 0;
    int m_cursorAtFocusOut = 0;
};
