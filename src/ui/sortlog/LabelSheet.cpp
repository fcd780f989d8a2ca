#include "ui/sortlog/LabelSheet.h"

#include "logbook/LabelPlan.h"
#include "logbook/PileListing.h"
#include "ui/sortlog/PrintStyle.h"
#include "ui/widgets/CoreText.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr qreal MmPerInch = 25.4;
// Room left free inside a label, so that a label stuck a little askew still shows everything.
constexpr qreal SidePaddingMm = 3.0;
constexpr qreal TopPaddingShare = 0.06;
constexpr qreal ColumnGapMm = 1.2;
constexpr qreal QsoPoints = 7.0;
constexpr qreal SmallestQsoPoints = 5.0;
// The texts above are for a label one inch high; a taller one gets them a little larger.
constexpr qreal InchLabelMm = 25.4;
constexpr qreal LargestScale = 1.2;

QString tr(const char *text)
{
    return QCoreApplication::translate("LabelSheet", text);
}

constexpr std::size_t QsoColumns = 6;
using QsoRow = std::array<QString, QsoColumns>;

QsoRow qsoRow(const QsoView &qso)
{
    return {fromUtf8(qsoDateText(qso.date)),
            fromUtf8(qsoTimeText(qso.time)),
            fromUtf8(qso.band),
            fromUtf8(qso.mode),
            fromUtf8(qso.rstSent),
            qso.qslReceived ? QStringLiteral("TNX QSL") : QStringLiteral("PSE QSL")};
}

class LabelPainter
{
public:
    LabelPainter(QPainter &painter, QPrinter &printer, const LabelStock &stock)
        : m_painter(painter), m_printer(printer), m_stock(stock),
          m_scale(std::clamp(stock.label.height() / InchLabelMm, 1.0, LargestScale))
    {}

    qreal px(qreal mm) const { return mm * m_printer.resolution() / MmPerInch; }

    QRectF labelRect(const LabelPlace &place) const
    {
        const auto column = static_cast<qreal>(place.column);
        const auto row = static_cast<qreal>(place.row);
        return {px(m_stock.firstAt.x() + column * m_stock.pitch.width()),
                px(m_stock.firstAt.y() + row * m_stock.pitch.height()), px(m_stock.label.width()),
                px(m_stock.label.height())};
    }

    QRectF inner(const QRectF &label) const
    {
        const qreal side = px(SidePaddingMm);
        const qreal top = label.height() * TopPaddingShare;
        return label.adjusted(side, top, -side, -top);
    }

    // As many QSOs as fit under the title and the column heads of a card's label.
    std::size_t qsosPerLabel() const
    {
        const QRectF area = inner(labelRect({}));
        const qreal free =
            area.height() - lineHeight(titleFont()) - lineHeight(headFont(qsoPoints()));
        return static_cast<std::size_t>(
            std::max(1.0, free / lineHeight(PrintStyle::font(qsoPoints()))));
    }

    void heading(const QRectF &label, const CardPile &pile)
    {
        const QRectF band = label.adjusted(px(1.5), px(1.5), -px(1.5), -px(1.5));
        m_painter.fillRect(band,
                           pile.setApart() ? PrintStyle::SetApartBand : PrintStyle::HeadingBand);
        QRectF area = inner(label);
        m_painter.setPen(pile.setApart() ? PrintStyle::SetApartText : Qt::black);
        const QString title = fromSingleByte(pileTitle(pile));
        line(area, fitted(PrintStyle::font(16 * m_scale, true), title, area.width(), 10 * m_scale),
             title);
        m_painter.setPen(Qt::black);
        for (const std::string *text : {&pile.bureauText, &pile.entityText}) {
            if (!text->empty())
                line(area, PrintStyle::font(8 * m_scale), fromSingleByte(*text));
        }
        line(area, PrintStyle::font(8 * m_scale),
             QString::fromStdString(counted(pile.cards.size(), "card") + ", " +
                                    counted(pile.qsoCount, "QSO")));
        if (pile.setApart()) {
            m_painter.setPen(PrintStyle::SetApartText);
            paragraph(area, PrintStyle::font(7 * m_scale), fromSingleByte(pileNote(pile.kind)));
        }
        m_painter.setPen(Qt::black);
    }

    void card(const QRectF &label, const LabelContent &content, const SortedLog &sorted)
    {
        const QslCard &card = *content.card;
        QRectF area = inner(label);

        QString title = fromSingleByte(card.call);
        if (!card.via.empty())
            title += QStringLiteral(" via ") + fromSingleByte(card.via);
        if (content.parts > 1)
            title += QStringLiteral(" (%1/%2)").arg(content.part).arg(content.parts);
        const CardPile &pile = *content.pile;
        if (!pile.setApart()) {
            // The pile beside the call, for sorting the cards once the labels are on them.
            const QFont font = PrintStyle::font(7 * m_scale);
            m_painter.setFont(font);
            m_painter.setPen(Qt::darkGray);
            m_painter.drawText(
                QRectF(area.topLeft(), QSizeF(area.width(), lineHeight(titleFont()))),
                Qt::AlignRight | Qt::AlignVCenter, fromSingleByte(pile.sortText));
            m_painter.setPen(Qt::black);
        }
        line(area, titleFont(), title, area.width() * 0.8);

        std::vector<QsoRow> rows;
        for (std::size_t i = 0; i < content.qsoCount; ++i)
            rows.push_back(qsoRow(sorted.qso(card.qsos[content.firstQso + i])));
        const QsoRow heads = {tr("Date"), tr("UTC"), tr("Band"), tr("Mode"), tr("RST"), tr("QSL")};

        // Columns as wide as their widest text, and at least as wide as usual texts, so that
        // they line up from label to label; a label of long texts gets a smaller font.
        const QsoRow usual = {QStringLiteral("2000-01-01"), QStringLiteral("0000"),
                              QStringLiteral("160m"),       QStringLiteral("RTTY"),
                              QStringLiteral("599"),        QStringLiteral("PSE QSL")};
        qreal points = qsoPoints();
        std::array<qreal, QsoColumns> widths{};
        for (;;) {
            const QFontMetricsF metrics(PrintStyle::font(points), &m_printer);
            const QFontMetricsF headMetrics(headFont(points), &m_printer);
            qreal total = px(ColumnGapMm) * (QsoColumns - 1);
            for (std::size_t c = 0; c < QsoColumns; ++c) {
                widths[c] = std::max(headMetrics.horizontalAdvance(heads[c]),
                                     metrics.horizontalAdvance(usual[c]));
                for (const QsoRow &row : rows)
                    widths[c] = std::max(widths[c], metrics.horizontalAdvance(row[c]));
                total += widths[c];
            }
            if (total <= area.width() || points <= SmallestQsoPoints)
                break;
            points = std::max(SmallestQsoPoints, points * area.width() / total);
        }
        m_painter.setPen(Qt::darkGray);
        rowLine(area, headFont(points), heads, widths);
        m_painter.setPen(Qt::black);
        for (const QsoRow &row : rows)
            rowLine(area, PrintStyle::font(points), row, widths);
    }

private:
    qreal qsoPoints() const { return QsoPoints * m_scale; }
    QFont titleFont() const { return PrintStyle::font(9 * m_scale, true); }
    static QFont headFont(qreal points) { return PrintStyle::font(points * 0.8); }

    qreal lineHeight(const QFont &font) const
    {
        return QFontMetricsF(font, &m_printer).lineSpacing();
    }

    // The font made smaller, down to the smallest size given, until the text fits the width: a
    // pile's title is read from across the table, and cut it would not say which pile it is.
    QFont fitted(QFont font, const QString &text, qreal width, qreal smallestPoints) const
    {
        while (font.pointSizeF() > smallestPoints &&
               QFontMetricsF(font, &m_printer).horizontalAdvance(text) > width)
            font.setPointSizeF(std::max(smallestPoints, font.pointSizeF() - 0.5));
        return font;
    }

    // Text wrapped over as many lines as the area has left; what does not fit is left out.
    void paragraph(QRectF &area, const QFont &font, const QString &text)
    {
        const qreal height = lineHeight(font);
        const qreal lines = std::floor((area.height() + 0.5) / height);
        if (lines < 1)
            return;
        const QRectF box(area.topLeft(), QSizeF(area.width(), lines * height));
        m_painter.setFont(font);
        m_painter.save();
        m_painter.setClipRect(box);
        QRectF used;
        m_painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text, &used);
        m_painter.restore();
        area.setTop(area.top() + std::min(used.height(), box.height()));
    }

    // One line of text at the top of the area, which then shrinks by it; nothing once full.
    void line(QRectF &area, const QFont &font, const QString &text, qreal width = -1)
    {
        const qreal height = lineHeight(font);
        if (height > area.height() + 0.5)
            return;
        if (width < 0)
            width = area.width();
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, &m_printer);
        m_painter.drawText(QRectF(area.left(), area.top(), width, height),
                           Qt::AlignLeft | Qt::AlignVCenter,
                           metrics.elidedText(text, Qt::ElideRight, width));
        area.setTop(area.top() + height);
    }

    void rowLine(QRectF &area, const QFont &font, const QsoRow &row,
                 const std::array<qreal, QsoColumns> &widths)
    {
        const qreal height = lineHeight(font);
        if (height > area.height() + 0.5)
            return;
        m_painter.setFont(font);
        qreal x = area.left();
        for (std::size_t c = 0; c < QsoColumns; ++c) {
            m_painter.drawText(QRectF(x, area.top(), widths[c], height),
                               Qt::AlignLeft | Qt::AlignVCenter, row[c]);
            x += widths[c] + px(ColumnGapMm);
        }
        area.setTop(area.top() + height);
    }

    QPainter &m_painter;
    QPrinter &m_printer;
    const LabelStock &m_stock;
    qreal m_scale;
};

} // namespace

const LabelStock &a4Labels()
{
    static const LabelStock stock{
        tr("&A4, 3 × 8 labels of 70 × 37 mm"), QPageSize::A4, 3, 8, {70, 37}, {0, 0.5}, {70, 37}};
    return stock;
}

const LabelStock &letterLabels()
{
    constexpr qreal Inch = MmPerInch;
    static const LabelStock stock{tr("US &Letter, 3 × 10 labels of 2 5/8 × 1 in (Avery 5160)"),
                                  QPageSize::Letter,
                                  3,
                                  10,
                                  {2.625 * Inch, 1.0 * Inch},
                                  {0.1875 * Inch, 0.5 * Inch},
                                  {2.75 * Inch, 1.0 * Inch}};
    return stock;
}

LabelSheet::LabelSheet(const SortedLog &sorted, const LabelStock &stock)
    : m_sorted(sorted), m_stock(stock)
{}

bool LabelSheet::print(QPrinter *printer) const
{
    printer->setFullPage(true);
    printer->setPageLayout(QPageLayout(QPageSize(m_stock.page), QPageLayout::Portrait,
                                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    LabelPainter labels(painter, *printer, m_stock);
    // The plan says where each label goes; the pages follow it.
    const SheetGrid grid{static_cast<std::size_t>(m_stock.columns),
                         static_cast<std::size_t>(m_stock.rows)};
    std::size_t page = 1;
    for (const LabelContent &label : planLabels(m_sorted, labels.qsosPerLabel(), grid)) {
        for (; page < label.place.page; ++page)
            printer->newPage();
        const QRectF rect = labels.labelRect(label.place);
        if (label.card == nullptr)
            labels.heading(rect, *label.pile);
        else
            labels.card(rect, label, m_sorted);
    }
    return painter.end();
}
