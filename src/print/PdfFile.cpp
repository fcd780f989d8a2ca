#include "print/PdfFile.h"

#include "core/text/FileReplacement.h"

#include <QBuffer>
#include <QPdfWriter>
#include <string_view>

bool savePdf(const std::filesystem::path &target, const QString &title,
             const std::function<bool(QPagedPaintDevice &)> &paint, std::string &error)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        // The writer finishes the file when its painter ends, before it goes.
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Vorn"));
        if (!paint(writer)) {
            error = "cannot paint the pages of " + target.string();
            return false;
        }
    }
    const QByteArray &bytes = buffer.data();
    return saveTextFile(
        target, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error);
}
