#include "print/LabelSheet.h"

#include "logbook/PileListing.h"
#include "print/PrintStyle.h"
#include "print/PrintText.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

using PrintText::latin1;
using PrintText::utf8;

namespace {

constexpr qreal MmPerInch = 25.4;
// Room left free inside a label, so that a label stuck a little askew still shows everything.
constexpr qreal SidePaddingMm = 3.0;
constexpr qreal TopPaddingShare = 0.06;
constexpr qreal ColumnGapMm = 1.2;
constexpr qreal QsoPoints = 7.0;
constexpr qreal SmallestQsoPoints = 5.0;
// A call is read by the bureau's sorters: it gets no smaller than this before it wraps.
constexpr qreal SmallestTitlePoints = 7.0;
// The texts above are for a label one inch high; a taller one gets them a little larger.
constexpr qreal InchLabelMm = 25.4;
constexpr qreal LargestScale = 1.2;
// The edge kept free of text, with a little more for glyphs that reach past their box.
constexpr qreal EdgeMm = UnprintableEdgeMm + 0.4;

QString tr(const char *text)
{
    return QCoreApplication::translate("LabelSheet", text);
}

constexpr std::size_t QsoColumns = 6;
using QsoRow = std::array<QString, QsoColumns>;

QsoRow qsoRow(const QsoView &qso)
{
    return {utf8(qsoDateText(qso.date)),
            utf8(qsoTimeText(qso.time)),
            utf8(qso.band),
            utf8(qso.mode),
            utf8(qso.rstSent),
            qso.qslReceived ? QStringLiteral("TNX QSL") : QStringLiteral("PSE QSL")};
}

QPageSize pageSize(const LabelStock &stock)
{
    return QPageSize(stock.paper == LabelStock::Paper::Letter ? QPageSize::Letter : QPageSize::A4);
}

class LabelPainter
{
public:
    LabelPainter(QPainter &painter, QPagedPaintDevice &device, const LabelStock &stock,
                 QString ownCall)
        : m_painter(painter), m_device(device), m_stock(stock), m_ownCall(std::move(ownCall)),
          m_scale(std::clamp(stock.height / InchLabelMm, 1.0, LargestScale)),
          m_printable(QRectF(QPointF(0, 0), pageSize(stock).size(QPageSize::Millimeter))
                          .adjusted(EdgeMm, EdgeMm, -EdgeMm, -EdgeMm))
    {}

    qreal px(qreal mm) const { return mm * m_device.logicalDpiY() / MmPerInch; }

    QRectF labelRect(const LabelPlace &place) const
    {
        const auto column = static_cast<qreal>(place.column);
        const auto row = static_cast<qreal>(place.row);
        return {px(m_stock.left + column * m_stock.pitchX), px(m_stock.top + row * m_stock.pitchY),
                px(m_stock.width), px(m_stock.height)};
    }

    // The label less its padding, and less what lies too near the paper's edge: the texts of a
    // label at the edge move inwards.
    QRectF inner(const QRectF &label) const
    {
        const qreal side = px(SidePaddingMm);
        const qreal top = label.height() * TopPaddingShare;
        const QRectF printable(px(m_printable.left()), px(m_printable.top()),
                               px(m_printable.width()), px(m_printable.height()));
        return label.adjusted(side, top, -side, -top).intersected(printable);
    }

    // As many QSOs as fit under the title and the column heads of a card's label, on the labels
    // of the top and of the bottom row, where the edge may take some of the room.
    std::size_t qsosPerLabel() const
    {
        qreal height = std::numeric_limits<qreal>::max();
        for (const std::size_t row : {std::size_t{0}, m_stock.rows - 1})
            height = std::min(height, inner(labelRect({1, row, 0})).height());
        const qreal free =
            height - lineHeight(titleFont()) - lineHeight(headFont(qsoPoints())) - ownCallHeight();
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
        const QString title = latin1(pileTitle(pile));
        const QFont titleFont =
            fitted(PrintStyle::font(16 * m_scale, true), title, area.width(), 10 * m_scale);
        paragraph(area, titleFont, title);
        m_painter.setPen(Qt::black);
        for (const std::string *text : {&pile.bureauText, &pile.entityText}) {
            if (!text->empty())
                line(area, PrintStyle::font(8 * m_scale), latin1(*text));
        }
        line(area, PrintStyle::font(8 * m_scale),
             QString::fromStdString(counted(pile.cards.size(), "card") + ", " +
                                    counted(pile.qsoCount, "QSO")));
        if (pile.setApart()) {
            m_painter.setPen(PrintStyle::SetApartText);
            paragraph(area, PrintStyle::font(7 * m_scale), latin1(pileNote(pile.kind)));
        }
        m_painter.setPen(Qt::black);
    }

    void card(const QRectF &label, const LabelContent &content, const SortedLog &sorted)
    {
        const QslCard &card = *content.card;
        QRectF area = inner(label);
        if (!m_ownCall.isEmpty()) {
            // The sender's call at the foot, on the right.
            const QFont font = PrintStyle::font(7 * m_scale);
            m_painter.setFont(font);
            m_painter.setPen(Qt::darkGray);
            m_painter.drawText(area, Qt::AlignRight | Qt::AlignBottom, tr("de %1").arg(m_ownCall));
            area.setBottom(area.bottom() - ownCallHeight());
        }

        // The pile's tag beside the call, for sorting the cards once the labels are on them; on
        // every label, also of the piles set apart.
        const CardPile &pile = *content.pile;
        const QFont tagFont = PrintStyle::font(7 * m_scale);
        const QString tag = latin1(pileTitle(pile));
        const auto drawTag = [&](qreal height) {
            m_painter.setFont(tagFont);
            m_painter.setPen(pile.setApart() ? PrintStyle::SetApartText : Qt::darkGray);
            m_painter.drawText(QRectF(area.topLeft(), QSizeF(area.width(), height)),
                               Qt::AlignRight | Qt::AlignVCenter, tag);
            m_painter.setPen(Qt::black);
        };
        const qreal besideTag = area.width() - px(ColumnGapMm) * 2 -
                                QFontMetricsF(tagFont, &m_device).horizontalAdvance(tag);
        const auto fitsBesideTag = [&](const QString &text) {
            QFont smallest = titleFont();
            smallest.setPointSizeF(SmallestTitlePoints);
            return QFontMetricsF(smallest, &m_device).horizontalAdvance(text) <= besideTag;
        };
        const auto titleLine = [&](const QString &text, bool withTag) {
            const qreal width = withTag ? besideTag : area.width();
            const QFont font = fitted(titleFont(), text, width, SmallestTitlePoints);
            if (withTag)
                drawTag(lineHeight(font));
            whole(area, font, text, width);
        };

        // The worked call and the manager's, on one line where they fit beside the tag, else
        // each on a line of its own, and the tag beside the one that leaves it room.
        QString call = latin1(card.call);
        QString via = card.via.empty() ? QString() : QStringLiteral("via ") + latin1(card.via);
        if (content.parts > 1)
            (via.isEmpty() ? call : via) +=
                QStringLiteral(" (%1/%2)").arg(content.part).arg(content.parts);
        const QString oneLine = via.isEmpty() ? call : call + QLatin1Char(' ') + via;
        if (fitsBesideTag(oneLine)) {
            titleLine(oneLine, true);
        } else if (!via.isEmpty() && fitsBesideTag(call)) {
            titleLine(call, true);
            titleLine(via, false);
        } else if (!via.isEmpty() && fitsBesideTag(via)) {
            titleLine(call, false);
            titleLine(via, true);
        } else {
            titleLine(call, false);
            if (!via.isEmpty())
                titleLine(via, false);
            drawTag(lineHeight(tagFont));
            area.setTop(area.top() + lineHeight(tagFont));
        }

        std::vector<QsoRow> rows;
        for (std::size_t i = 0; i < content.qsoCount; ++i)
            rows.push_back(qsoRow(sorted.qso(card.qsos[content.firstQso + i])));
        const QsoRow heads = {tr("Date"), tr("UTC"), tr("Band"), tr("Mode"), tr("RST"), tr("QSL")};

        // Columns as wide as their widest text, and at least as wide as usual texts, so that
        // they line up from label to label; a label of long texts, or whose title took a second
        // line, gets a smaller font.
        const QsoRow usual = {QStringLiteral("2000-01-01"), QStringLiteral("0000"),
                              QStringLiteral("160m"),       QStringLiteral("RTTY"),
                              QStringLiteral("599"),        QStringLiteral("PSE QSL")};
        qreal points = qsoPoints();
        const auto rowsHeight = [&](qreal size) {
            return lineHeight(headFont(size)) +
                   static_cast<qreal>(rows.size()) * lineHeight(PrintStyle::font(size));
        };
        while (points > SmallestQsoPoints && rowsHeight(points) > area.height() + 0.5)
            points = std::max(SmallestQsoPoints, points - 0.25);
        std::array<qreal, QsoColumns> widths{};
        for (;;) {
            const QFontMetricsF metrics(PrintStyle::font(points), &m_device);
            const QFontMetricsF headMetrics(headFont(points), &m_device);
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
    qreal ownCallHeight() const
    {
        return m_ownCall.isEmpty() ? 0 : lineHeight(PrintStyle::font(7 * m_scale));
    }

    qreal lineHeight(const QFont &font) const
    {
        return QFontMetricsF(font, &m_device).lineSpacing();
    }

    // The font made smaller, down to the smallest size given, until the text fits the width.
    QFont fitted(QFont font, const QString &text, qreal width, qreal smallestPoints) const
    {
        while (font.pointSizeF() > smallestPoints &&
               QFontMetricsF(font, &m_device).horizontalAdvance(text) > width)
            font.setPointSizeF(std::max(smallestPoints, font.pointSizeF() - 0.25));
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
    // Texts that are not calls may be cut short.
    void line(QRectF &area, const QFont &font, const QString &text)
    {
        const qreal height = lineHeight(font);
        if (height > area.height() + 0.5)
            return;
        m_painter.setFont(font);
        const QFontMetricsF metrics(font, &m_device);
        m_painter.drawText(QRectF(area.left(), area.top(), area.width(), height),
                           Qt::AlignLeft | Qt::AlignVCenter,
                           metrics.elidedText(text, Qt::ElideRight, area.width()));
        area.setTop(area.top() + height);
    }

    // A call line: never cut. Wider than the room even at the smallest size (a call as long as
    // a label is wide), it breaks anywhere over the lines it needs.
    void whole(QRectF &area, const QFont &font, const QString &text, qreal width)
    {
        m_painter.setFont(font);
        const QRectF box(area.left(), area.top(), width, area.height());
        QRectF used;
        m_painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, text, &used);
        area.setTop(area.top() + std::max(used.height(), lineHeight(font)));
    }

    void rowLine(QRectF &area, const QFont &font, const QsoRow &row,
                 const std::array<qreal, QsoColumns> &widths)
    {
        const qreal height = lineHeight(font);
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
    QPagedPaintDevice &m_device;
    const LabelStock &m_stock;
    QString m_ownCall;
    qreal m_scale;
    QRectF m_printable; // mm
};

} // namespace

LabelSheet::LabelSheet(const SortedLog &sorted, const LabelStock &stock,
                       const LabelOptions &options)
    : m_sorted(sorted), m_stock(stock), m_options(options)
{}

QPageLayout LabelSheet::pageLayout(const LabelStock &stock)
{
    return QPageLayout(pageSize(stock), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
}

bool LabelSheet::paint(QPagedPaintDevice &device) const
{
    device.setPageLayout(pageLayout(m_stock));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    LabelPainter labels(painter, device, m_stock, latin1(m_options.ownCall));
    // The plan says where each label goes; the pages follow it.
    const SheetGrid grid =
        m_stock.grid(m_stock.grid().labelAt(m_options.startRow, m_options.startColumn).value_or(0));
    std::size_t page = 1;
    for (const LabelContent &label :
         planLabels(m_sorted, labels.qsosPerLabel(), grid, m_options.headings)) {
        for (; page < label.place.page; ++page)
            device.newPage();
        const QRectF rect = labels.labelRect(label.place);
        if (label.card == nullptr)
            labels.heading(rect, *label.pile);
        else
            labels.card(rect, label, m_sorted);
    }
    return painter.end();
}
