#pragma once

#include "logbook/LabelPlan.h"

#include <QDialog>
#include <filesystem>
#include <functional>

struct PrintJob;
struct SortedLog;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// "Print labels": the sheet of labels to print on and how to fill it, and the buttons that
// preview, print or save the labels of the sorted log as PDF. The options are remembered in a
// file of their own (labels.set beside vorn.set), written whenever the labels go out and when
// the window closes. Where to save is asked through the function handed in, so that tests can
// answer.
class LabelForm final : public QDialog
{
    Q_OBJECT

public:
    using AskPath = std::function<QString()>;

    // optionsFile empty: nothing is remembered. ownCall starts the "de" field when no options
    // were remembered yet.
    LabelForm(AskPath askPdfPath, std::filesystem::path optionsFile, const std::string &ownCall,
              QWidget *parent = nullptr);

    void setLog(const SortedLog *sorted) { m_sorted = sorted; }
    const LabelStock &stock() const;
    LabelOptions options() const;
    void setOptions(const LabelOptions &options);

    // The command behind the PDF button, without its file dialog; false on failure, which the
    // status line then explains.
    bool saveAsPdf(const QString &path);

    void done(int result) override;

private:
    void previewButtonClick();
    void printButtonClick();
    void pdfButtonClick();
    void sheetChanged();
    void saveOptions();
    // The labels of the log for the sheet chosen, for the printer, the preview and the PDF file.
    PrintJob labelJob() const;

    AskPath m_askPdfPath;
    std::filesystem::path m_optionsFile;
    const SortedLog *m_sorted = nullptr;
    QComboBox *m_sheet = nullptr;
    QCheckBox *m_headings = nullptr;
    QSpinBox *m_startRow = nullptr;
    QSpinBox *m_startColumn = nullptr;
    QLineEdit *m_ownCall = nullptr;
    QLabel *m_status = nullptr;
};
