#include "logbook/LabelPlan.h"

#include "core/text/Integer.h"
#include "core/text/TextLines.h"

#include <algorithm>
#include <array>

std::vector<LabelContent> planLabels(const SortedLog &sorted, std::size_t qsosPerLabel,
                                     const SheetGrid &grid, bool headings)
{
    qsosPerLabel = std::max<std::size_t>(qsosPerLabel, 1);
    std::vector<LabelContent> labels;
    for (const CardPile &pile : sorted.piles) {
        if (headings)
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

namespace {

constexpr double Inch = 25.4;
constexpr std::uint64_t MostLabels = 1000;

// Layouts as the makers publish them in their templates (Avery's product templates for L7160,
// L7161, L7163, 3474, 5160, 5161 and 5163; the same figures are in the label templates that
// gLabels ships, avery-iso-templates.xml and avery-us-templates.xml). Sheets of other makers with
// the same label size and count have the same layout.
constexpr std::array Stocks{
    // Avery Zweckform 3474 and alike: no gaps, 0.5 mm above and below.
    LabelStock{"a4-3x8", "A4, 3 \u00d7 8 labels of 70 \u00d7 37 mm", LabelStock::Paper::A4, 3, 8,
               70, 37, 0, 0.5, 70, 37},
    // Avery L7160.
    LabelStock{"a4-3x7", "A4, 3 \u00d7 7 labels of 63.5 \u00d7 38.1 mm (L7160)",
               LabelStock::Paper::A4, 3, 7, 63.5, 38.1, 7.25, 15.15, 66.04, 38.1},
    // Avery L7161.
    LabelStock{"a4-3x6", "A4, 3 \u00d7 6 labels of 63.5 \u00d7 46.6 mm (L7161)",
               LabelStock::Paper::A4, 3, 6, 63.5, 46.6, 7.25, 8.7, 66.04, 46.6},
    // Avery L7163.
    LabelStock{"a4-2x7", "A4, 2 \u00d7 7 labels of 99.1 \u00d7 38.1 mm (L7163)",
               LabelStock::Paper::A4, 2, 7, 99.1, 38.1, 4.65, 15.15, 101.6, 38.1},
    // Avery 5160.
    LabelStock{"letter-3x10", "US Letter, 3 \u00d7 10 labels of 2 5/8 \u00d7 1 in (5160)",
               LabelStock::Paper::Letter, 3, 10, 2.625 * Inch, 1 * Inch, 0.1875 * Inch, 0.5 * Inch,
               2.75 * Inch, 1 * Inch},
    // Avery 5161.
    LabelStock{"letter-2x10", "US Letter, 2 \u00d7 10 labels of 4 \u00d7 1 in (5161)",
               LabelStock::Paper::Letter, 2, 10, 4 * Inch, 1 * Inch, 0.15625 * Inch, 0.5 * Inch,
               4.1875 * Inch, 1 * Inch},
    // Avery 5163.
    LabelStock{"letter-2x5", "US Letter, 2 \u00d7 5 labels of 4 \u00d7 2 in (5163)",
               LabelStock::Paper::Letter, 2, 5, 4 * Inch, 2 * Inch, 0.15625 * Inch, 0.5 * Inch,
               4.1875 * Inch, 2 * Inch},
};

} // namespace

std::span<const LabelStock> labelStocks()
{
    return Stocks;
}

const LabelStock *findLabelStock(std::string_view name)
{
    for (const LabelStock &stock : Stocks) {
        if (stock.name == name)
            return &stock;
    }
    return nullptr;
}

std::string formatLabelOptions(const LabelOptions &options)
{
    return "sheet=" + options.sheet + "\nheadings=" + (options.headings ? "1" : "0") +
           "\nstart=" + std::to_string(options.startRow) + ',' +
           std::to_string(options.startColumn) + "\nowncall=" + options.ownCall + '\n';
}

LabelOptions parseLabelOptions(std::string_view text)
{
    LabelOptions options;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view name = line.substr(0, equals);
        const std::string value = trimBlanks(line.substr(equals + 1));
        if (name == "sheet") {
            options.sheet = value;
        } else if (name == "headings") {
            options.headings = value != "0";
        } else if (name == "start") {
            // Rows and columns beyond any sheet are left to the window and the tool to refuse.
            const std::size_t comma = value.find(',');
            const std::string_view place = value;
            const auto row =
                parseUnsigned(place.substr(0, comma), IntegerSyntaxes::Digits, MostLabels);
            const auto column =
                comma == std::string::npos
                    ? std::nullopt
                    : parseUnsigned(place.substr(comma + 1), IntegerSyntaxes::Digits, MostLabels);
            if (row && column && *row >= 1 && *column >= 1) {
                options.startRow = static_cast<std::size_t>(*row);
                options.startColumn = static_cast<std::size_t>(*column);
            }
        } else if (name == "owncall") {
            options.ownCall = value;
        }
    }
    return options;
}
