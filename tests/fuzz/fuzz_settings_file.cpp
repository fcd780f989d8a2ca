// vorn.set as bytes: whatever is read, writing it and reading it back gives the same settings.

#include "FuzzInput.h"
#include "core/settings/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t piece = 1;
    const std::string_view bytes = takePieceSize(data, size, piece);
    AppSettings settings;
    PieceSource source(bytes, piece);
    FUZZ_CHECK(readSettings(source, settings));

    const std::string written = formatSettings(settings);
    AppSettings again;
    PieceSource writtenSource(written, written.size() + 1);
    readSettings(writtenSource, again);
    // The own call is stored without surrounding blanks; everything else must survive as read.
    AppSettings expected = settings;
    const auto first = expected.ownCall.find_first_not_of(' ');
    expected.ownCall =
        first == std::string::npos
            ? std::string()
            : expected.ownCall.substr(first, expected.ownCall.find_last_not_of(' ') - first + 1);
    // A line break inside the own call cannot be written back as one line.
    if (expected.ownCall.find('\r') == std::string::npos)
        FUZZ_CHECK(again == expected);
    return 0;
}
