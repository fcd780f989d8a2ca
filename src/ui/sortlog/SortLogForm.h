#pragma once

#include "logbook/LogSorter.h"

#include <QDate>
#include <QFileDialog>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

struct AppState;
class CardFilter;
class LabelForm;
class PileModel;
struct PrintJob;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QProgressBar;
class QPushButton;
class QTreeView;
class MarkJob;
class SortJob;

// The "Sort log" window: reads a whole log, shows its QSL cards in bureau piles with their
// counts, exports them as CSV, prints the sorting sheet and marks the sorted QSOs as sent in a
// new ADIF file. The log is read and sorted, and read again to be marked, in short steps between
// events on this thread, so the window stays responsive and the tables need no lock.
class SortLogForm final : public QMainWindow
{
    Q_OBJECT

public:
    explicit SortLogForm(AppState &state, QWidget *parent = nullptr);
    ~SortLogForm() override;

    // The local file a drag carries; empty when it carries none.
    static QString logFileOf(const QMimeData *mime);
    // Drops on any window of the program: a drag that carries a file is welcome, and the file
    // of a drop is taken (empty when there is none).
    static void acceptLogDrag(QDragEnterEvent *event);
    static QString takeLogDrop(QDropEvent *event);

    // The file Mark as sent writes: a name typed without an extension gets the log's ADIF
    // extension (.adi, or .adif for a log named so); the file is ADIF whatever the log was.
    static QString markedLogFile(const QString &typed, const QString &logPath);

    // Where the open and save dialogs start: the folder of the log last opened, else the home
    // folder, and never the data folder, where Vorn keeps its own files.
    static QString dialogFolder(const QString &logPath, const QString &dataFolder,
                                const QString &home);

    // Starts reading a log; logSorted() follows once it is sorted or could not be read.
    void openLog(const QString &path);
    bool reading() const;
    // The log opened last; empty while the window holds none.
    const QString &logPath() const { return m_logPath; }
    const SortedLog &sortedLog() const { return m_sorted; }

    // What "Mark as sent" asks the user: the toolkit's dialogs, unless a test puts in its own.
    struct MarkQuestions
    {
        // The file to write, starting from the proposed one; empty when the user cancels. It
        // asks nothing about replacing a file: that comes after the file is checked.
        std::function<QString(const QString &proposed)> targetFile;
        // Whether an existing file may be replaced.
        std::function<bool(const QString &file)> replace;
    };
    void setMarkQuestions(MarkQuestions questions) { m_markQuestions = std::move(questions); }

    // The commands behind the buttons, without their file dialogs; false on failure, which the
    // status line then explains.
    bool exportCsv(const QString &path);
    // Mark as sent reads the log again and writes the new file in steps, as the log was sorted:
    // true when it started, and logMarked() follows; false when it was refused at once.
    bool markAsSent(const QString &path, QDate today);
    bool marking() const { return m_markJob != nullptr; }
    bool saveSheetAsPdf(const QString &path);
    // The "Print labels" window, made at its first use.
    LabelForm *labelForm();

signals:
    void logSorted();
    // Mark as sent has ended: the file is written, or the status line says why not.
    void logMarked(bool written);
    // F1: the help at the section of this window, whose anchor is named.
    void helpRequested(const QString &anchor);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    QPushButton *addButton(const char *name, const QString &text, void (SortLogForm::*slot)());

    void openButtonClick();
    void exportButtonClick();
    void previewButtonClick();
    void printButtonClick();
    void pdfButtonClick();
    void markButtonClick();
    void labelsButtonClick();
    void everyQsoToggled();
    void findTextChanged();
    void findShortcut();
    void escapePressed();

    void readStep();
    void markStep();
    void stopMarking();
    void showSorted();
    void stopReading();
    void enableCommands();
    void setStatus(const QString &text);
    QString dialogFolder() const;
    // Asks where to save, starting beside the log (never in the data folder); empty when the user
    // cancels.
    QString askSaveFile(const QString &title, const QString &suffix, const QString &filter);
    // Says why Mark as sent cannot write the log back; false then.
    bool checkLogReadWhole();
    // Whether the log holds QSOs that can be written back: a list of calls holds none.
    bool logHoldsQsos() const;
    // Beside the other Sort log windows, not on top of one.
    void stepAsideFromOtherWindows();
    QString logName() const;
    // The sorting sheet of the log shown, for the printer, the preview and the PDF file.
    PrintJob sheetJob() const;

    AppState &m_state;
    std::unique_ptr<SortJob> m_job;
    SortedLog m_sorted;
    QString m_logPath;
    QString m_logNotes;   // what reading the log found wrong with it
    QString m_sortStatus; // the status of the sorted log, shown again when the find is cleared
    QTimer m_stepTimer;
    std::unique_ptr<MarkJob> m_markJob;
    QString m_markPath; // the file Mark as sent writes
    QTimer m_markTimer;
    MarkQuestions m_markQuestions;
    bool m_centred = false;

    PileModel *m_model = nullptr;
    CardFilter *m_filter = nullptr;
    QLineEdit *m_findEdit = nullptr;
    QLabel *m_fileLabel = nullptr;
    QCheckBox *m_everyQso = nullptr;
    QTreeView *m_tree = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_totals = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_openButton = nullptr;
    QPushButton *m_exportButton = nullptr;
    QPushButton *m_previewButton = nullptr;
    QPushButton *m_printButton = nullptr;
    QPushButton *m_pdfButton = nullptr;
    QPushButton *m_markButton = nullptr;
    QPushButton *m_labelsButton = nullptr;
    LabelForm *m_labelForm = nullptr;
};
