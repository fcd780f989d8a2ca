#pragma once

#include "core/net/NetPeer.h"

#include <string>
#include <string_view>

// The QSL information service that the query window asks: where it listens, and the XML
// namespace of its qslinfo operation. Its name in captions and its credit mark follow from the
// host.
struct QslInfoServer
{
    NetPeer peer;
    std::string nameSpace;

    // The service's name in captions and menus: the host in capitals.
    std::string displayName() const;
    // What opens the service's line of credit when it has no entry for a call: "(c) " and the
    // host in small letters.
    std::string creditMark() const;
};

// The service this program was built for, on port 80.
QslInfoServer builtInQslInfoServer();

namespace QslInfoRequest {

// The call a query asks about, from the call field's single-byte text: the field's call
// (CallText), without surrounding blanks, as UTF-8.
std::string queryCall(std::string_view callFieldText);
// Calls of one or two characters are not worth a query.
bool worthAsking(std::string_view queryCall);

// The SOAP 1.1 request for one call: the POST line, the Host, Content-Type, Content-Length and
// SOAPAction fields, and the envelope with the call and "VORN-" + the own call ("anonimous" when
// there is none). Both calls go in XML-escaped, and Content-Length counts the body's bytes.
// queryCall is UTF-8; ownCall is single-byte text as the settings file holds it.
std::string request(const QslInfoServer &server, std::string_view queryCall,
                    std::string_view ownCall);

// Text made safe for XML content and attribute values: & < > " ' become entity references.
std::string xmlEscaped(std::string_view text);
// The reverse for shown text: the five entity references and numeric character references
// become the characters they stand for (UTF-8, see xmlReferencedCharacter); anything else,
// references to control characters included, stays as it is.
std::string xmlUnescaped(std::string_view text);

} // namespace QslInfoRequest
