// The bureau file as bytes through the real loader.

#include "FuzzInput.h"
#include "core/data/BureauTable.h"
#include "core/data/DataFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t piece = 1;
    const std::string_view bytes = takePieceSize(data, size, piece);
    BureauTable bureaus;
    PieceSource source(bytes, piece);
    FUZZ_CHECK(loadBureauTable(bureaus, source));
    FUZZ_CHECK(bureaus.count() <= BureauTable::MaxRows);
    for (const BureauRow &row : bureaus.rows()) {
        FUZZ_CHECK(row.entityCode.size() <= BureauTable::EntityCodeWidth);
        // Columns 7-28, 30-35 and 36-57.
        FUZZ_CHECK(row.entityName.size() <= 22);
        FUZZ_CHECK(row.sortPrefix.size() <= 6);
        FUZZ_CHECK(row.bureauName.size() <= 22);
        // Fields are trimmed of blanks.
        FUZZ_CHECK(row.entityCode.empty() ||
                   (row.entityCode.front() != ' ' && row.entityCode.back() != ' '));
    }
    BureauTable whole;
    PieceSource wholeSource(bytes, bytes.size() + 1);
    loadBureauTable(whole, wholeSource);
    FUZZ_CHECK(whole.rows() == bureaus.rows());

    PieceSource checked(bytes, piece);
    checkDataFile(DataFile::Bureau, checked);
    return 0;
}
