#include "ui/sortlog/PileModel.h"

#include "logbook/PileListing.h"
#include "ui/widgets/CoreText.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace {

// Cards carry the number of their pile plus one; piles carry none.
constexpr quintptr PileRow = 0;
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
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex PileModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == PileRow)
        return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, PileRow);
}

int PileModel::rowCount(const QModelIndex &parent) const
{
    if (m_sorted == nullptr)
        return 0;
    if (!parent.isValid())
        return static_cast<int>(m_sorted->piles.size());
    if (parent.internalId() != PileRow || parent.column() != 0)
        return 0;
    return static_cast<int>(m_sorted->piles[static_cast<std::size_t>(parent.row())].cards.size());
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
    const CardPile &pile = m_sorted->piles[index.internalId() - 1];
    return cardData(pile, pile.cards[static_cast<std::size_t>(index.row())], index.column(), role);
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
            // Why the card goes where it goes: the manager, the home call, or the note.
            if (!card.via.empty())
                return fromSingleByte(card.via);
            return card.home.empty() ? fromUtf8(card.note)
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
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        QString hint = tr("Card for %1").arg(fromSingleByte(card.call));
        if (const std::string note = routeNote(card); !note.empty())
            hint += QStringLiteral(", ") + fromUtf8(note);
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
