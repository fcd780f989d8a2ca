#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Says what the program is, who makes it and on what terms. Shows no data and changes nothing.
class AboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit AboutBox(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *m_okButton = nullptr;
};
