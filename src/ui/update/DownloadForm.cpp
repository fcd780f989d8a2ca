#include "ui/update/DownloadForm.h"

#include "platform/FileDownloader.h"
#include "ui/widgets/CoreText.h"
#include "ui/widgets/DialogFrame.h"

#include <QLabel>

DownloadForm::DownloadForm(FileDownloader &downloader, QWidget *parent)
    : QDialog(parent), m_downloader(downloader)
{
    setObjectName(QStringLiteral("DownloadForm"));
    setUpDialogFrame(this, ClientWidth, ClientHeight);
    setWindowTitle(windowCaption());
    // A fixed dialog frame: a title and a close box, nothing to minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    // The update waits for each download, and nothing else may be done meanwhile.
    setModal(true);

    m_msgLabel = new QLabel(QStringLiteral("??? ..."), this);
    m_msgLabel->setObjectName(QStringLiteral("MsgLabel"));
    m_msgLabel->setGeometry(1, 16, 290, 13);
    m_msgLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette palette = m_msgLabel->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    m_msgLabel->setPalette(palette);

    connect(&m_downloader, &FileDownloader::downloadStarted, this, &DownloadForm::downloadStarted);
    connect(&m_downloader, &FileDownloader::downloadComplete, this, &QDialog::accept);
    connect(&m_downloader, &FileDownloader::downloadFailed, this, &QDialog::accept);
}

void DownloadForm::downloadStarted(DownloadKind kind)
{
    setWindowTitle(windowCaption());
    m_msgLabel->setText(fromSingleByte(Download::statusText(kind, m_downloader.host())));
    centreOnScreen(this);
    show();
}

void DownloadForm::reject()
{
    // The close box and Escape give the download up; the window closes as it ends.
    m_downloader.abort();
    QDialog::reject();
}
