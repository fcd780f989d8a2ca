#pragma once

#include <QSortFilterProxyModel>

// The piles narrowed to the cards whose call, manager or home call holds a piece of text, with
// the piles they lie in and all their QSOs; everything while the text is empty.
class CardFilter final : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit CardFilter(QObject *parent = nullptr);

    void setFindText(const QString &text);
    const QString &findText() const { return m_text; }
    // The cards that hold the text, in the whole log.
    int matchCount() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    bool matches(const QModelIndex &sourceIndex) const;

    QString m_text; // in capitals, as the calls are
};
