#include "core/net/QslInfoRequest.h"

#include "core/settings/BuildSettings.h"
#include "core/text/Ascii.h"
#include "core/text/CallText.h"
#include "core/text/TextLines.h"
#include "core/text/Utf8.h"
#include "core/text/XmlReference.h"

namespace {

constexpr std::string_view Crlf = "\r\n";

// The settings and the call field hold single-byte text; the request declares UTF-8.
std::string latin1ToUtf8(std::string_view text)
{
    std::string utf8;
    utf8.reserve(text.size());
    for (const char c : text)
        appendUtf8(utf8, static_cast<unsigned char>(c));
    return utf8;
}

// The character a reference between '&' and ';' stands for; 0 when it is not one. A shown line
// holds no control character: a reference to one (a line break, say) stays as it was written.
char32_t referencedCharacter(std::string_view name)
{
    const char32_t code = xmlReferencedCharacter(name);
    const bool control = code < 0x20 || (code >= 0x7f && code <= 0x9f);
    return control ? 0 : code;
}

} // namespace

std::string QslInfoServer::displayName() const
{
    return Ascii::upperText(peer.host);
}

std::string QslInfoServer::creditMark() const
{
    return Ascii::lowerText("(c) " + peer.host);
}

QslInfoServer builtInQslInfoServer()
{
    return {NetPeer{QslInfoHost, 80}, QslInfoNamespace};
}

std::string QslInfoRequest::queryCall(std::string_view callFieldText)
{
    // The field's text already keeps the rules; any other text is held to them as well.
    return latin1ToUtf8(trimBlanks(CallText::normalize(callFieldText)));
}

bool QslInfoRequest::worthAsking(std::string_view queryCall)
{
    // Counted in characters: bytes that continue a UTF-8 sequence do not count.
    std::size_t characters = 0;
    for (const char c : queryCall) {
        if ((static_cast<unsigned char>(c) & 0xc0) != 0x80)
            ++characters;
    }
    return characters > 2;
}

std::string QslInfoRequest::request(const QslInfoServer &server, std::string_view queryCall,
                                    std::string_view ownCall)
{
    const std::string client = ownCall.empty() ? "anonimous" : latin1ToUtf8(ownCall);
    std::string body;
    for (const std::string_view line : {
             std::string_view(R"(<?xml version="1.0" encoding="utf-8"?>)"),
             std::string_view(
                 R"(<soap:Envelope xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance")"
                 R"( xmlns:xsd="http://www.w3.org/2001/XMLSchema")"
                 R"( xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/">)"),
             std::string_view("<soap:Body>"),
         }) {
        body += line;
        body += Crlf;
    }
    body += "<qslinfo xmlns=\"" + xmlEscaped(server.nameSpace) + "\">";
    body += Crlf;
    body += "<callsign>" + xmlEscaped(queryCall) + "</callsign>";
    body += Crlf;
    body += "<ClientInformation>VORN-" + xmlEscaped(client) + "</ClientInformation>";
    body += Crlf;
    body += "</qslinfo>\r\n</soap:Body>\r\n</soap:Envelope>\r\n\r\n";

    std::string text = "POST /qslinfo.asmx   HTTP/1.1\r\n";
    text += "Host: " + server.peer.host + "\r\n";
    text += "Content-Type: text/xml; charset=utf-8\r\n";
    text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    text += "SOAPAction: \"" + server.nameSpace + "/qslinfo\"\r\n";
    text += Crlf;
    text += body;
    return text;
}

std::string QslInfoRequest::xmlEscaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        default:
            escaped += c;
            break;
        }
    }
    return escaped;
}

std::string QslInfoRequest::xmlUnescaped(std::string_view text)
{
    // A reference name is short; a longer run up to ';' is not one.
    constexpr std::size_t MaxReference = 10;
    std::string plain;
    plain.reserve(text.size());
    while (!text.empty()) {
        const std::size_t amp = text.find('&');
        plain += text.substr(0, amp);
        if (amp == std::string_view::npos)
            break;
        text.remove_prefix(amp);
        const std::size_t semicolon = text.substr(0, MaxReference + 2).find(';');
        const char32_t character = semicolon == std::string_view::npos
                                       ? 0
                                       : referencedCharacter(text.substr(1, semicolon - 1));
        if (character == 0) {
            plain += '&';
            text.remove_prefix(1);
            continue;
        }
        appendUtf8(plain, character);
        text.remove_prefix(semicolon + 1);
    }
    return plain;
}
