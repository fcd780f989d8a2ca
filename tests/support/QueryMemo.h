#pragma once

// What the query window's text area shows, line by line.

#include <QFont>
#include <QList>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

inline QStringList linesOf(const QPlainTextEdit &memo)
{
    const QString text = memo.toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// The numbers of the lines shown in bold.
inline QList<int> boldLines(const QPlainTextEdit &memo)
{
    QList<int> bold;
    for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next()) {
        const QList<QTextLayout::FormatRange> ranges = block.textFormats();
        if (!ranges.isEmpty() && ranges.first().format.fontWeight() == QFont::Bold)
            bold << block.blockNumber();
    }
    return bold;
}
