#pragma once

#include <QLineEdit>

// The one-line call field: at most 15 characters, small ASCII letters turned into capitals
// whether typed or pasted, nothing selected when the field takes the focus. Every key is
// announced before the field handles it; Return and Enter start a look-up and go no further.
class CallEdit : public QLineEdit
{
    Q_OBJECT

public:
    static constexpr int MaxLength = 15;

    explicit CallEdit(QWidget *parent = nullptr);

signals:
    // Any key went down in the field, Return included, also one that types nothing.
    void keyWentDown();
    // Return or Enter was pressed; the field itself does not see the key.
    void lookUpRequested();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
};
