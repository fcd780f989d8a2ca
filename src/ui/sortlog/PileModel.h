#pragma once

#include "logbook/LogSorter.h"

#include <QAbstractItemModel>

// The piles and their cards as a tree for a view: a row per pile with its counts, a row per
// card below it, and a row per QSO below each card, so that the keyboard and a screen reader
// reach a card's QSOs as the mouse's hint shows them. A view over the sorted log, which stays
// with the window.
class PileModel final : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column {
        TitleColumn,
        ViaColumn,
        CardsColumn,
        QsosColumn,
        SortColumn,
        BureauColumn,
        EntityColumn,
        ColumnCount
    };

    enum Role {
        // A card's call, manager and home call in capitals, one blank apart, for finding cards;
        // nothing for piles and QSOs.
        FindTextRole = Qt::UserRole + 1,
    };

    explicit PileModel(QObject *parent = nullptr);

    // Shows another result, or none.
    void setLog(const SortedLog *sorted);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVariant pileData(const CardPile &pile, int column, int role) const;
    QVariant cardData(const CardPile &pile, const QslCard &card, int column, int role) const;
    QVariant qsoData(const QslCard &card, std::size_t qso, int column, int role) const;
    QString qsoList(const QslCard &card) const;

    const SortedLog *m_sorted = nullptr;
};
