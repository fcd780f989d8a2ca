#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

// Chooses which answer lines are spoken. A pure view: the caller hands in the stored flags with
// setChoices, runs the dialog, and reads the flags back; Cancel puts the boxes back as they were
// handed in, so the getters then give the stored flags again.
class SpeakForm : public QDialog
{
    Q_OBJECT

public:
    explicit SpeakForm(QWidget *parent = nullptr);

    void setChoices(bool speakSort, bool speakBureau, bool speakDxcc);
    bool speakSort() const;
    bool speakBureau() const;
    bool speakDxcc() const;

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showStoredChoices();

    bool m_speakSort = false;
    bool m_speakBureau = false;
    bool m_speakDxcc = false;
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QCheckBox *m_sortBox = nullptr;
    QCheckBox *m_bureauBox = nullptr;
    QCheckBox *m_dxccBox = nullptr;
};
