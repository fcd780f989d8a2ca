#pragma once

// Small data files for the main window's tests: a few prefixes that reach every kind of answer.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

inline QByteArray padded(const char *text, int width)
{
    return QByteArray(text).leftJustified(width, ' ', true);
}

// One record of vorn.asc: 61 characters in their fixed columns.
inline QByteArray bureauRecord(const char *code, const char *entity, const char *sortPrefix,
                               const char *bureau, char iaru)
{
    return padded(code, 6) + padded(entity, 22) + ' ' + padded(sortPrefix, 6) + padded(bureau, 22) +
           "   " + iaru + "\r\n";
}

inline QByteArray testCountryFile()
{
    return "x DL DL\r\n"
           "x D DL\r\n"
           "x K K\r\n"
           "x W K\r\n"
           "x VK VK\r\n"
           "x P5 P5\r\n"
           "x 3A 3A\r\n";
}

inline QByteArray testBureauFile()
{
    return "Entities and their bureaus\r\n" + bureauRecord("DL", "Germany", "DL", "DARC", 'Y') +
           bureauRecord("K", "United States", "K", "ARRL", 'Y') +
           bureauRecord("VK", "Australia", "VK", "WIA", 'Y') +
           bureauRecord("P5", "North Korea", "P5", "", 'N') +
           bureauRecord("3A", "Monaco", "3A", "Test bureau", 'N');
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

inline bool writeDataFiles(const QDir &dir)
{
    return writeFile(dir.filePath(QStringLiteral("country.asc")), testCountryFile()) &&
           writeFile(dir.filePath(QStringLiteral("vorn.asc")), testBureauFile());
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
