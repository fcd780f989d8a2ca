#pragma once

#include <QPageLayout>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>

class QPagedPaintDevice;

// Pages written as a PDF file in one step: they are painted in memory, and the file is put in
// place as every file Vorn saves is (FileReplacement): beside the target, brought to disk, then
// renamed over it. A full disk or a failed write leaves the old file as it was. The painting
// sets the page layout it needs and says whether it could start. False on failure, with the
// error naming the file and the system's reason.
bool savePdf(const std::filesystem::path &target, const QString &title,
             const std::function<bool(QPagedPaintDevice &)> &paint, std::string &error);
