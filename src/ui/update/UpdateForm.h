#pragma once

#include "core/shell/UpdatePolicy.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

// The update settings: whether Vorn checks for new data at start-up and asks first, and the
// "Check now" button, under the version of the data in use. A pure view: exec shows the stored
// mode and says how the dialog was closed and which mode was selected; the update command
// decides what to keep.
class UpdateForm : public QDialog, public UpdateDialog
{
    Q_OBJECT

public:
    explicit UpdateForm(QWidget *parent = nullptr);

    static constexpr int ClientWidth = 292;
    static constexpr int ClientHeight = 166;

    Choice exec(UpdateMode stored, const std::string &dataInUse) override;

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void closeWith(Button button);
    UpdateMode selectedMode() const;
    void showMode(UpdateMode mode);

    UpdateMode m_stored = UpdateMode::None;
    Button m_button = Button::CloseBox;
    QLabel *m_dataLabel = nullptr;
    QRadioButton *m_autoButton = nullptr;
    QRadioButton *m_manualButton = nullptr;
    QRadioButton *m_noButton = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_checkButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
