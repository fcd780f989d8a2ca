#include "ui/sortlog/CardFilter.h"

#include "ui/sortlog/PileModel.h"

CardFilter::CardFilter(QObject *parent) : QSortFilterProxyModel(parent)
{
    // A pile stays while one of its cards matches; a matching card keeps all its QSOs.
    setRecursiveFilteringEnabled(true);
    setAutoAcceptChildRows(true);
}

void CardFilter::setFindText(const QString &text)
{
    const QString wanted = text.trimmed().toUpper();
    if (wanted == m_text)
        return;
    m_text = wanted;
    invalidateFilter();
}

bool CardFilter::matches(const QModelIndex &sourceIndex) const
{
    const QString text = sourceIndex.data(PileModel::FindTextRole).toString();
    return !text.isEmpty() && text.contains(m_text);
}

bool CardFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_text.isEmpty())
        return true;
    // Only cards match: a pile is shown for its cards, a QSO with its card.
    return matches(sourceModel()->index(sourceRow, 0, sourceParent));
}

int CardFilter::matchCount() const
{
    if (m_text.isEmpty() || sourceModel() == nullptr)
        return 0;
    int count = 0;
    const QAbstractItemModel *piles = sourceModel();
    for (int pile = 0; pile < piles->rowCount(); ++pile) {
        const QModelIndex pileIndex = piles->index(pile, 0);
        for (int card = 0; card < piles->rowCount(pileIndex); ++card)
            count += matches(piles->index(card, 0, pileIndex)) ? 1 : 0;
    }
    return count;
}
