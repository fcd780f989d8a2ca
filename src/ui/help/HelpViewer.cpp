#include "ui/help/HelpViewer.h"

#include "ui/widgets/DialogFrame.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

HelpViewer::HelpViewer(QWidget *parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(windowCaption(tr("Help")));
    setFont(dialogFont());
    resize(560, 440);
    setMinimumSize(240, 160);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    // Links are followed here: pages of the help file inside, anything else in the system browser.
    m_browser->setOpenLinks(false);
    m_browser->setOpenExternalLinks(false);
    describe(m_browser, tr("Help text"),
             tr("The help file. Tab moves between links, Return follows one, Alt+Left goes back, "
                "Escape closes the window"));
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpViewer::followLink);

    setCentralWidget(m_browser);

    auto *closeShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(closeShortcut, &QShortcut::activated, this, &HelpViewer::close);
}

void HelpViewer::showContents(const QString &helpFilePath)
{
    showSection(helpFilePath, QString());
}

void HelpViewer::showSection(const QString &helpFilePath, const QString &anchor)
{
    QFile file(helpFilePath);
    const QFileInfo info(helpFilePath);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        m_browser->clearHistory();
        m_browser->setSource(QUrl());
        m_browser->setPlainText(
            tr("The help file \"%1\" could not be opened.\n\n%2")
                .arg(QDir::toNativeSeparators(info.absoluteFilePath()),
                     info.isDir() ? tr("It is a folder.") : file.errorString()));
    } else {
        file.close();
        QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        // The same file is read again, so that an edited help file shows its new text.
        const bool sameFile = m_browser->source().adjusted(QUrl::RemoveFragment) == url;
        if (!anchor.isEmpty())
            url.setFragment(anchor);
        m_browser->setSource(url, QTextDocument::HtmlResource);
        if (sameFile)
            m_browser->reload();
        m_browser->clearHistory();
    }
    m_browser->moveCursor(QTextCursor::Start);
    m_browser->verticalScrollBar()->setValue(0);
    m_browser->horizontalScrollBar()->setValue(0);

    if (!isVisible())
        centreOnScreen(this);
    showNormal();
    raise();
    activateWindow();
    m_browser->setFocus();
    // Scrolled once the window is laid out; before that the section has no place yet.
    if (!anchor.isEmpty())
        m_browser->scrollToAnchor(anchor);
}

void HelpViewer::followLink(const QUrl &link)
{
    const QUrl target = m_browser->source().resolved(link);
    if (target.isLocalFile()) {
        // An anchor on the same page only scrolls; either way the step goes into the history.
        m_browser->setSource(target, QTextDocument::HtmlResource);
        return;
    }
    QDesktopServices::openUrl(target);
}
