#include "ui/sortlog/PileModel.h"

#include "logbook/PileListing.h"
#include "ui/widgets/CoreText.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace {

// Piles carry no number; cards carry the number of their pile plus one; QSOs carry the number
// of their card plus one in the upper half, and their pile's number plus one in the lower.
constexpr quintptr PileRow = 0;
constexpr int CardShift = 32;
static_assert(sizeof(quintptr) * 8 > CardShift, "a QSO row's number holds its pile and card");

bool isQsoRow(quintptr id)
{
    return (id >> CardShift) != 0;
}

std::size_t pileOf(quintptr id)
{
    return static_cast<std::size_t>((id & ((quintptr(1) << CardShift) - 1)) - 1);
}

std::size_t cardOf(quintptr id)
{
    return static_cast<std::size_t>((id >> CardShift) - 1);
}
// The QSOs a card's hint lists at most.
constexpr std::size_t HintQsos = 12;

const QColor SetApartColour(150, 0, 0);

} // namespace

PileModel::PileModel(QObject *parent) : QAbstractItemModel(parent) {}

void PileModel::setLog(const SortedLog *sorted)
{
    beginResetModel();
    m_sorted = sorted;
    endResetModel();
}

QModelIndex PileModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, PileRow);
    if (parent.internalId() == PileRow)
        return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
    return createIndex(row, column,
                       ((static_cast<quintptr>(parent.row()) + 1) << CardShift) |
                           parent.internalId());
}

QModelIndex PileModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == PileRow)
        return {};
    const quintptr id = child.internalId();
    if (isQsoRow(id))
        return createIndex(static_cast<int>(cardOf(id)), 0, static_cast<quintptr>(pileOf(id) + 1));
    return createIndex(static_cast<int>(pileOf(id)), 0, PileRow);
}

int PileModel::rowCount(const QModelIndex &parent) const
{
    if (m_sorted == nullptr)
        return 0;
    if (!parent.isValid())
        return static_cast<int>(m_sorted->piles.size());
    if (parent.column() != 0 || isQsoRow(parent.internalId()))
        return 0;
    if (parent.internalId() == PileRow)
        return static_cast<int>(
            m_sorted->piles[static_cast<std::size_t>(parent.row())].cards.size());
    const CardPile &pile = m_sorted->piles[pileOf(parent.internalId())];
    return static_cast<int>(pile.cards[static_cast<std::size_t>(parent.row())].qsos.size());
}

int PileModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

QVariant PileModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || m_sorted == nullptr)
        return {};
    if (index.internalId() == PileRow)
        return pileData(m_sorted->piles[static_cast<std::size_t>(index.row())], index.column(),
                        role);
    const quintptr id = index.internalId();
    const CardPile &pile = m_sorted->piles[pileOf(id)];
    if (isQsoRow(id))
        return qsoData(pile.cards[cardOf(id)], static_cast<std::size_t>(index.row()),
                       index.column(), role);
    return cardData(pile, pile.cards[static_cast<std::size_t>(index.row())], index.column(), role);
}

QVariant PileModel::qsoData(const QslCard &card, std::size_t qso, int column, int role) const
{
    if (!m_sorted->qsoBook || qso >= card.qsos.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole &&
        role != Qt::AccessibleDescriptionRole)
        return {};
    const QsoView view = m_sorted->qso(card.qsos[qso]);
    // The date and time under the call, the rest of the QSO beside them; a screen reader gets
    // the whole QSO on its first cell.
    if (role != Qt::DisplayRole) {
        if (column != TitleColumn)
            return {};
        const std::string line = qsoLine(view);
        return tr("QSO %1 of %2 with %3: %4")
            .arg(qso + 1)
            .arg(card.qsos.size())
            .arg(fromSingleByte(card.call),
                 line.empty() ? tr("no date, band or mode") : fromUtf8(line));
    }
    QsoView part = view;
    switch (column) {
    case TitleColumn:
        part.band = part.mode = part.rstSent = {};
        break;
    case ViaColumn:
        part.date = part.time = {};
        break;
    default:
        return {};
    }
    return fromUtf8(qsoLine(part));
}

QVariant PileModel::pileData(const CardPile &pile, int column, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case TitleColumn:
            return fromSingleByte(pileTitle(pile));
        case CardsColumn:
            return static_cast<qulonglong>(pile.cards.size());
        case QsosColumn:
            return static_cast<qulonglong>(pile.qsoCount);
        case BureauColumn:
            return fromSingleByte(pile.bureauText);
        case EntityColumn:
            return fromSingleByte(pile.entityText);
        default:
            return {};
        }
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (pile.setApart())
            return tr("Set apart: %1").arg(fromSingleByte(pileNote(pile.kind)));
        return tr("Bureau pile %1").arg(fromSingleByte(pile.sortText));
    case Qt::FontRole: {
        if (column != TitleColumn)
            return {};
        QFont font;
        font.setBold(true);
        return font;
    }
    case Qt::ForegroundRole:
        return pile.setApart() ? QVariant(QBrush(SetApartColour)) : QVariant();
    case Qt::TextAlignmentRole:
        if (column == CardsColumn || column == QsosColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant PileModel::cardData(const CardPile &pile, const QslCard &card, int column, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case TitleColumn:
            return fromSingleByte(card.call);
        case ViaColumn:
            // Why the card goes where it goes: the note of a card that does not go via the
            // bureau (it names the manager, if any), the manager, or the home call.
            if (!card.note.empty())
                return fromUtf8(card.note);
            if (!card.via.empty())
                return fromSingleByte(card.via);
            return card.home.empty() ? QString()
                                     : tr("home call %1").arg(fromSingleByte(card.home));
        case QsosColumn:
            return static_cast<qulonglong>(card.qsos.size());
        case SortColumn:
            return fromSingleByte(card.answer.sortText);
        case BureauColumn:
            return fromSingleByte(card.answer.bureauText);
        case EntityColumn:
            return fromSingleByte(card.answer.entityText);
        default:
            return {};
        }
    case FindTextRole: {
        std::string text = card.call + ' ' + card.via + ' ' + card.home;
        return fromSingleByte(text);
    }
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        QString hint = tr("Card for %1").arg(fromSingleByte(card.call));
        if (const std::string note = routeNote(card); !note.empty())
            hint += QStringLiteral(", ") + fromUtf8(logExcerpt(note));
        if (!card.note.empty() && !card.via.empty())
            hint += QStringLiteral(", ") + fromUtf8(logExcerpt(card.note));
        const QString list = qsoList(card);
        if (!list.isEmpty())
            hint += '\n' + list;
        return hint;
    }
    case Qt::ForegroundRole:
        return pile.setApart() ? QVariant(QBrush(SetApartColour)) : QVariant();
    case Qt::TextAlignmentRole:
        if (column == QsosColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QString PileModel::qsoList(const QslCard &card) const
{
    if (!m_sorted->qsoBook)
        return {};
    QStringList lines;
    for (std::size_t i = 0; i < card.qsos.size() && i < HintQsos; ++i) {
        const std::string line = qsoLine(m_sorted->qso(card.qsos[i]));
        if (!line.empty())
            lines << fromUtf8(line);
    }
    if (card.qsos.size() > HintQsos)
        lines << tr("and %1 more").arg(card.qsos.size() - HintQsos);
    return lines.join('\n');
}

QVariant PileModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case TitleColumn:
        return tr("Pile / call");
    case ViaColumn:
        return tr("Via");
    case CardsColumn:
        return tr("Cards");
    case QsosColumn:
        return tr("QSOs");
    case SortColumn:
        return tr("Sort QSL under");
    case BureauColumn:
        return tr("QSL bureau");
    case EntityColumn:
        return tr("DXCC / WAE");
    default:
        return {};
    }
}
