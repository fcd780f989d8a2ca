#include "print/SortSheet.h"

#include "logbook/LogFields.h"
#include "logbook/PileListing.h"
#include "print/PrintStyle.h"
#include "print/PrintText.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SortSheet", text);
}

QString cardText(const CardPile &pile, const QslCard &card)
{
    QString text = PrintText::latin1(card.call);
    if (!card.via.empty())
        text += QStringLiteral(" via ") + PrintText::latin1(card.via);
    if (card.qsos.size() > 1)
        text += QStringLiteral(" (%1)").arg(card.qsos.size());
    const std::string detail = cardDetail(pile, card);
    if (!detail.empty())
        text += QStringLiteral(" - ") + PrintText::latin1(logExcerpt(detail));
    return text;
}

// A block of cards that does not fit on the rest of a page starts there and goes on on the
// next one, unless it is as short as this share of a page: then it moves on whole.
constexpr qreal ShortBlockShare = 0.2;

// Lays the sheet out from top to bottom, page after page. Laid out once without painting to
// count the pages, then painted.
class SheetPainter
{
public:
    // pageCount 0: only count the pages.
    SheetPainter(QPainter &painter, QPagedPaintDevice &printer, QString title, QString date,
                 int pageCount)
        : m_painter(painter), m_printer(printer), m_title(std::move(title)),
          m_date(std::move(date)),
          m_width(printer.pageLayout().paintRectPixels(printer.logicalDpiX()).width()),
          m_height(printer.pageLayout().paintRectPixels(printer.logicalDpiX()).height()),
          m_pageCount(pageCount), m_paint(pageCount > 0)
    {
        startPage();
    }

    int page() const { return m_page; }

    void legend()
    {
        const QFont font = PrintStyle::font(9);
        m_painter.setFont(font);
        m_painter.setPen(Qt::darkGray);
        const QString text = tr("One line per card, in the order the bureau sorts them. "
                                "\"via\": the card goes to the manager; (n): QSOs on the card.");
        const QRectF box(0, m_y, m_width, m_height);
        const QRectF used =
            QFontMetricsF(font, &m_printer).boundingRect(box, Qt::TextWordWrap, text);
        drawText(box, Qt::TextWordWrap, text);
        m_y += used.height() + lineHeight(font);
        m_painter.setPen(Qt::black);
    }

    void section(PileKind kind)
    {
        const QFont font = PrintStyle::font(11, true);
        const qreal height = lineHeight(font) * 1.5;
        if (m_y + height + 3 * lineHeight(PrintStyle::font(10)) > m_height)
            newPage();
        m_painter.setFont(font);
        m_painter.setPen(PrintStyle::SetApartText);
        drawText(QRectF(0, m_y, m_width, height), Qt::AlignLeft | Qt::AlignVCenter,
                 tr("Set apart: %1").arg(PrintText::latin1(pileNote(kind))));
        m_painter.setPen(Qt::black);
        m_y += height;
    }

    void pile(const CardPile &pile)
    {
        const QFont font = PrintStyle::font(10);
        const QFontMetricsF metrics(font, &m_printer);
        const qreal line = lineHeight(font);
        const qreal box = metrics.ascent() * 0.8;
        const qreal gap = metrics.horizontalAdvance(QStringLiteral("MM"));
        QStringList texts;
        qreal widest = 0;
        for (const QslCard &card : pile.cards) {
            texts << cardText(pile, card);
            widest = std::max(widest, metrics.horizontalAdvance(texts.back()));
        }
        const qreal cell = box + gap / 2 + widest + gap;
        const int columns = std::max(1, static_cast<int>(m_width / cell));
        const auto rows = (texts.size() + columns - 1) / columns;

        // A short block is not split; a longer one starts on the current page, so that no page
        // is left half empty, unless not even its heading and a few cards fit there.
        const qreal block = bandHeight() + static_cast<qreal>(rows) * line;
        if (m_y + block > m_height && (block <= (m_height - m_top) * ShortBlockShare ||
                                       m_y + bandHeight() + 3 * line > m_height))
            newPage();
        band(pile, false);
        for (qsizetype row = 0; row < rows; ++row) {
            if (m_y + line > m_height) {
                newPage();
                band(pile, true);
            }
            m_painter.setFont(font);
            // About a quarter of a millimetre: a hairline is too faint to tick on paper.
            m_painter.setPen(QPen(pile.setApart() ? PrintStyle::SetApartText : Qt::black,
                                  m_printer.logicalDpiX() / 100.0));
            for (int column = 0; column < columns; ++column) {
                const qsizetype i = row * columns + column;
                if (i >= texts.size())
                    break;
                const qreal x = column * cell;
                if (m_paint)
                    m_painter.drawRect(QRectF(x, m_y + (line - box) / 2, box, box));
                drawText(QRectF(x + box + gap / 2, m_y, cell - box, line),
                         Qt::AlignLeft | Qt::AlignVCenter, texts[i]);
            }
            m_y += line;
        }
        m_painter.setPen(Qt::black);
        m_y += line * 0.6;
    }

    void totals(const QString &text)
    {
        const QFont font = PrintStyle::font(10, true);
        if (m_y + 2 * lineHeight(font) > m_height)
            newPage();
        m_painter.setFont(font);
        const QRectF area(0, m_y, m_width, m_height - m_y);
        drawText(area, Qt::TextWordWrap, text);
    }

private:
    qreal lineHeight(const QFont &font) const
    {
        return QFontMetricsF(font, &m_printer).lineSpacing() * 1.2;
    }
    qreal bandHeight() const { return lineHeight(PrintStyle::font(11, true)) * 1.3; }

    void drawText(const QRectF &area, int flags, const QString &text)
    {
        if (m_paint)
            m_painter.drawText(area, flags, text);
    }

    void band(const CardPile &pile, bool continued)
    {
        const qreal height = bandHeight();
        const QRectF area(0, m_y, m_width, height - 4);
        if (m_paint)
            m_painter.fillRect(area, pile.setApart() ? PrintStyle::SetApartBand
                                                     : PrintStyle::HeadingBand);
        const qreal pad = height / 4;
        const QRectF inner = area.adjusted(pad, 0, -pad, 0);

        const QFont counts = PrintStyle::font(9);
        const QString countText = QString::fromStdString(counted(pile.cards.size(), "card") + ", " +
                                                         counted(pile.qsoCount, "QSO"));
        m_painter.setFont(counts);
        drawText(inner, Qt::AlignRight | Qt::AlignVCenter, countText);
        const qreal countWidth = QFontMetricsF(counts, &m_printer).horizontalAdvance(countText);

        const QFont titleFont = PrintStyle::font(11, true);
        QString title = PrintText::latin1(pileTitle(pile));
        if (continued)
            title += tr(" (continued)");
        m_painter.setFont(titleFont);
        drawText(inner, Qt::AlignLeft | Qt::AlignVCenter, title);
        const qreal titleWidth = QFontMetricsF(titleFont, &m_printer).horizontalAdvance(title);

        QStringList about;
        for (const std::string *text : {&pile.bureauText, &pile.entityText}) {
            if (!text->empty())
                about << PrintText::latin1(*text);
        }
        const QFont aboutFont = PrintStyle::font(10);
        const QFontMetricsF aboutMetrics(aboutFont, &m_printer);
        const qreal aboutX = titleWidth + aboutMetrics.horizontalAdvance(QStringLiteral("MM"));
        const qreal aboutWidth = inner.width() - aboutX - countWidth - pad;
        m_painter.setFont(aboutFont);
        drawText(QRectF(inner.left() + aboutX, inner.top(), aboutWidth, inner.height()),
                 Qt::AlignLeft | Qt::AlignVCenter,
                 aboutMetrics.elidedText(about.join(QStringLiteral("  -  ")), Qt::ElideRight,
                                         aboutWidth));
        m_y += height;
    }

    void startPage()
    {
        ++m_page;
        const QFont font = PrintStyle::font(9);
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        const qreal height = lineHeight(font);
        const QRectF area(0, 0, m_width, height);
        drawText(area, Qt::AlignLeft | Qt::AlignVCenter, m_title);
        drawText(area, Qt::AlignRight | Qt::AlignVCenter,
                 tr("%1, page %2 of %3").arg(m_date).arg(m_page).arg(m_pageCount));
        if (m_paint)
            m_painter.drawLine(QPointF(0, height), QPointF(m_width, height));
        m_top = height * 1.6;
        m_y = m_top;
    }

    void newPage()
    {
        if (m_paint)
            m_printer.newPage();
        startPage();
    }

    QPainter &m_painter;
    QPagedPaintDevice &m_printer;
    QString m_title;
    QString m_date;
    qreal m_width;
    qreal m_height;
    qreal m_top = 0;
    qreal m_y = 0;
    int m_page = 0;
    int m_pageCount;
    bool m_paint;
};

} // namespace

SortSheet::SortSheet(const SortedLog &sorted, QString logName, QDate date)
    : m_sorted(sorted), m_logName(std::move(logName)), m_date(date)
{}

QPageLayout SortSheet::pageLayout(bool letter)
{
    constexpr qreal MarginMm = 15;
    return QPageLayout(QPageSize(letter ? QPageSize::Letter : QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter);
}

bool SortSheet::paint(QPagedPaintDevice &device) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QString title = tr("QSL sorting sheet: %1").arg(m_logName);
    const QString date = m_date.toString(Qt::ISODate);
    const auto layOut = [this](SheetPainter &sheet) {
        sheet.legend();
        PileKind section = PileKind::Bureau;
        for (const CardPile &pile : m_sorted.piles) {
            if (pile.kind != section) {
                section = pile.kind;
                sheet.section(section);
            }
            sheet.pile(pile);
        }
        sheet.totals(tr("Total: %1").arg(QString::fromStdString(totalsText(m_sorted))));
    };
    SheetPainter counting(painter, device, title, date, 0);
    layOut(counting);
    SheetPainter sheet(painter, device, title, date, counting.page());
    layOut(sheet);
    return painter.end();
}
