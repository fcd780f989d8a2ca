#include "logbook/LabelPlan.h"

#include <algorithm>

std::vector<LabelContent> planLabels(const SortedLog &sorted, std::size_t qsosPerLabel,
                                     const SheetGrid &grid)
{
    qsosPerLabel = std::max<std::size_t>(qsosPerLabel, 1);
    std::vector<LabelContent> labels;
    for (const CardPile &pile : sorted.piles) {
        labels.push_back({&pile, nullptr, 0, 0, 1, 1, {}});
        for (const QslCard &card : pile.cards) {
            const std::size_t parts =
                std::max<std::size_t>(1, (card.qsos.size() + qsosPerLabel - 1) / qsosPerLabel);
            for (std::size_t part = 0; part < parts; ++part) {
                const std::size_t first = part * qsosPerLabel;
                labels.push_back({&pile,
                                  &card,
                                  first,
                                  std::min(qsosPerLabel, card.qsos.size() - first),
                                  part + 1,
                                  parts,
                                  {}});
            }
        }
    }

    const std::size_t columns = std::max<std::size_t>(grid.columns, 1);
    const std::size_t perPage = columns * std::max<std::size_t>(grid.rows, 1);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const std::size_t at = grid.firstLabel + i;
        const std::size_t onPage = at % perPage;
        labels[i].place = {at / perPage + 1, onPage / columns, onPage % columns};
    }
    return labels;
}
