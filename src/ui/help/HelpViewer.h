#pragma once

#include <QMainWindow>

class QTextBrowser;
class QUrl;

// The program's own help window: shows an HTML help file from its top. Non-modal, so the user can
// keep looking up calls while reading. A main window of its own, so that screen readers present
// it as a window, not as a pane of another.
class HelpViewer : public QMainWindow
{
    Q_OBJECT

public:
    explicit HelpViewer(QWidget *parent = nullptr);

    // Opens the file at its top and brings the window to the front; a file that cannot be read is
    // reported inside the window.
    void showContents(const QString &helpFilePath);
    // The same, opened at the section of the anchor named.
    void showSection(const QString &helpFilePath, const QString &anchor);

private:
    void followLink(const QUrl &link);

    QTextBrowser *m_browser = nullptr;
};
