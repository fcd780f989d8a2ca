// The service's answer in pieces of any size through the answer reader, and the request built
// for any call: the answer is shown once, never changes and holds only safe text, and the
// request always parses.

#include "FuzzInput.h"
#include "core/net/QslInfoAnswer.h"
#include "core/net/QslInfoRequest.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <algorithm>

namespace {

// The request's body, read back by an XML parser: the call must come out as it went in.
void checkRequest(std::string_view callField)
{
    const QslInfoServer server{{"qslinfo.test", 80}, "urn:test:qslinfo"};
    const std::string call = QslInfoRequest::queryCall(callField);
    const std::string request = QslInfoRequest::request(server, call, call);
    const std::size_t bodyStart = request.find("\r\n\r\n");
    FUZZ_CHECK(bodyStart != std::string::npos);
    const std::string body = request.substr(bodyStart + 4);
    const std::string length = "Content-Length: " + std::to_string(body.size()) + "\r\n";
    FUZZ_CHECK(request.find(length) != std::string::npos);
    QXmlStreamReader xml(QByteArray(body.data(), static_cast<qsizetype>(body.size())));
    QString found;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"callsign")
            found = xml.readElementText();
    }
    // A call that XML cannot carry (control characters) may fail to parse; nothing else may.
    const bool carriable = std::all_of(call.begin(), call.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 || c == '\t';
    });
    if (carriable) {
        FUZZ_CHECK(!xml.hasError());
        FUZZ_CHECK(found.toStdString() == call);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t piece = 1;
    const std::string_view bytes = takePieceSize(data, size, piece);
    QslInfoAnswer answer;
    std::optional<std::vector<std::string>> first;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        answer.add(bytes.substr(at, piece));
        const auto shown = answer.shown("DL1ABC", "(c) qslinfo.test");
        if (first)
            FUZZ_CHECK(shown == first); // later reads never change an answer once complete
        else if (shown)
            first = shown;
    }
    if (first) {
        FUZZ_CHECK(first->size() >= 2);
        FUZZ_CHECK(first->front() == "********** DL1ABC **********");
        FUZZ_CHECK(first->back() == " ");
        for (const std::string &line : *first) {
            FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
            // Valid UTF-8 without anything that breaks or reverses lines: cleaning changes nothing.
            FUZZ_CHECK(QslInfoAnswer::shownText(line) == line);
        }
    }
    checkRequest(bytes.substr(0, 20));
    return 0;
}
