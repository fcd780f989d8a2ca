#pragma once

#include <QDialog>

struct AppSettings;
struct QslInfoServer;
class CallEdit;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The QSL information settings: whether the service is consulted automatically, on request or
// not at all, and whether queries carry the user's own call. Each opening shows the stored
// settings; OK stores both, Cancel, Escape and the close box store nothing. Return presses OK,
// or the button that has the focus.
class DatabaseForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 332;
    static constexpr int ClientHeight = 282;

    explicit DatabaseForm(const QslInfoServer &server, QWidget *parent = nullptr);

    // Shows the dialog modally over these settings; true when OK stored the choice in them.
    bool edit(AppSettings &settings);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void formActivate();
    void anonimousBoxClick(bool ticked);
    void okButtonClick();

    AppSettings *m_settings = nullptr;
    QRadioButton *m_autoButton = nullptr;
    QRadioButton *m_manualButton = nullptr;
    QRadioButton *m_noButton = nullptr;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QGroupBox *m_callBox = nullptr;
    QLabel *m_callLabel = nullptr;
    CallEdit *m_callEdit = nullptr;
    QCheckBox *m_anonimousBox = nullptr;
    QLabel *m_infoLabel = nullptr;
};
