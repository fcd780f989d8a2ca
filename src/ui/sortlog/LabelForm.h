#pragma once

#include <QDialog>
#include <functional>

struct LabelStock;
struct PrintJob;
struct SortedLog;
class QLabel;
class QRadioButton;

// "Print labels": the sheet of labels to print on, and the buttons that preview, print or save
// the labels of the sorted log as PDF. Where to save is asked through the function handed in,
// so that tests can answer.
class LabelForm final : public QDialog
{
    Q_OBJECT

public:
    using AskPath = std::function<QString()>;

    LabelForm(AskPath askPdfPath, QWidget *parent = nullptr);

    void setLog(const SortedLog *sorted) { m_sorted = sorted; }
    // The sheet chosen: A4 (3 × 8) or US Letter (Avery 5160).
    const LabelStock &stock() const;
    void chooseLetter(bool letter);

    // The command behind the PDF button, without its file dialog; false on failure, which the
    // status line then explains.
    bool saveAsPdf(const QString &path);

private:
    void previewButtonClick();
    void printButtonClick();
    void pdfButtonClick();
    // The labels of the log for the sheet chosen, for the printer, the preview and the PDF file.
    PrintJob labelJob() const;

    AskPath m_askPdfPath;
    const SortedLog *m_sorted = nullptr;
    QRadioButton *m_a4 = nullptr;
    QRadioButton *m_letter = nullptr;
    QLabel *m_status = nullptr;
};
