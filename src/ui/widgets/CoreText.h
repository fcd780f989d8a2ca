#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

// The core's texts and paths as the toolkit takes them, and back. Calls, answers, settings and
// the core's messages are single-byte text, as the call field holds it; the notes and reports of
// a sorted log and the answers of the QSL information service are UTF-8; paths are the system's
// bytes.

inline QString fromSingleByte(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toSingleByte(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

inline QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QString fromLocalPath(const std::filesystem::path &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

inline std::filesystem::path toLocalPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}
