#pragma once

#include "core/net/Download.h"

#include <QDialog>

class FileDownloader;
class QLabel;

// The small modal window that shows a download of the update while it runs: what is fetched
// and from where, from the download's start until its end, when it closes by itself. Its close
// box gives the download up. The download itself, with its pauses, is the downloader's.
class DownloadForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 292;
    static constexpr int ClientHeight = 46;

    explicit DownloadForm(FileDownloader &downloader, QWidget *parent = nullptr);

    void reject() override;

private:
    void downloadStarted(DownloadKind kind);

    FileDownloader &m_downloader;
    QLabel *m_msgLabel = nullptr;
};
