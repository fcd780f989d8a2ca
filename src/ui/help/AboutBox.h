#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Says what the program is, who makes it, on what terms, and which data it answers from.
// Changes nothing.
class AboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit AboutBox(QWidget *parent = nullptr);

    // The installed data version in words, as AppState::installedDataInWords gives it, e.g.
    // "data of 2025-09-30, revision 0".
    void setDataInUse(const QString &text);
    // Whether the list of exact calls is in use and how many calls it holds, e.g. "exact calls:
    // 20189 (calls.asc)".
    void setExactCallList(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_dataLabel = nullptr;
    QLabel *m_callsLabel = nullptr;
    QPushButton *m_okButton = nullptr;
};
