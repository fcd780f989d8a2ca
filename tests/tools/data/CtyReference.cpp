#include "CtyReference.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The alias without its zone, position, continent and time-offset overrides:
// "=AA0O(5)[8]" gives "=AA0O".
std::optional<std::string> withoutOverrides(std::string_view alias)
{
    std::string plain;
    for (std::size_t i = 0; i < alias.size(); ++i) {
        const char c = alias[i];
        const std::string_view openers = "([<{~";
        const std::string_view closers = ")]>}~";
        const auto kind = openers.find(c);
        if (kind != std::string_view::npos) {
            const auto end = alias.find(closers[kind], i + 1);
            if (end == std::string_view::npos)
                return std::nullopt;
            i = end;
            continue;
        }
        const bool isCallChar = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                                (c == '=' && plain.empty());
        if (!isCallChar)
            return std::nullopt;
        plain.push_back(c);
    }
    if (plain.empty() || plain == "=")
        return std::nullopt;
    return plain;
}

} // namespace

bool CtyReference::load(const std::filesystem::path &ctyDat, std::string &error)
{
    std::ifstream in(ctyDat, std::ios::binary);
    if (!in) {
        error = "cannot read " + ctyDat.string();
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), error);
}

bool CtyReference::parse(std::string_view text, std::string &error)
{
    m_entities.clear();
    m_prefixes.clear();
    m_exactCalls.clear();
    while (!trim(text).empty()) {
        const auto end = text.find(';');
        const std::string_view record = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);

        const std::string_view body = trim(record);
        const auto headerEnd = std::min(body.find('\n'), body.size());
        const std::string_view header = body.substr(0, headerEnd);
        std::vector<std::string_view> fields;
        for (std::size_t start = 0; start <= header.size();) {
            const auto colon = std::min(header.find(':', start), header.size());
            fields.push_back(trim(header.substr(start, colon - start)));
            start = colon + 1;
        }
        if (fields.size() < 8 || fields[0].empty() || fields[7].empty()) {
            error = "cty.dat: bad entity line \"" + std::string(header) + '"';
            return false;
        }
        const CtyEntity entity{std::string(fields[0]), std::string(fields[7]),
                               fields[7].front() == '*'};
        if (!addEntity(entity, body.substr(headerEnd), error))
            return false;
    }
    if (m_entities.empty()) {
        error = "cty.dat: no entity";
        return false;
    }
    return true;
}

bool CtyReference::addEntity(const CtyEntity &entity, std::string_view aliases, std::string &error)
{
    m_entities.push_back(entity);
    std::string packed;
    std::copy_if(aliases.begin(), aliases.end(), std::back_inserter(packed),
                 [](char c) { return !isSpace(c); });
    std::size_t start = 0;
    while (start < packed.size()) {
        const auto comma = std::min(packed.find(',', start), packed.size());
        const std::string token = packed.substr(start, comma - start);
        start = comma + 1;
        const auto alias = withoutOverrides(token);
        if (!alias) {
            error = "cty.dat: alias \"" + token + "\" of " + entity.code + " not understood";
            return false;
        }
        if (alias->front() != '=') {
            const auto [it, added] = m_prefixes.emplace(*alias, entity.code);
            if (!added && it->second != entity.code) {
                error = "cty.dat: prefix " + *alias + " in two entities";
                return false;
            }
            continue;
        }
        // A call listed under a DXCC entity and under the WAE entity inside it belongs to
        // the WAE entity, as the WAE prefixes win over the DXCC ones by being longer.
        const auto [it, added] = m_exactCalls.emplace(alias->substr(1), entity.code);
        if (!added && it->second != entity.code && entity.wae)
            it->second = entity.code;
    }
    return true;
}

std::optional<std::string> CtyReference::entityOfPrefix(std::string_view prefix) const
{
    const auto it = m_prefixes.find(std::string(prefix));
    if (it == m_prefixes.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::string> CtyReference::entityOf(std::string_view call) const
{
    if (const auto exact = m_exactCalls.find(std::string(call)); exact != m_exactCalls.end())
        return exact->second;
    for (std::size_t length = call.size(); length > 0; --length) {
        const auto it = m_prefixes.find(std::string(call.substr(0, length)));
        if (it == m_prefixes.end())
            continue;
        if (it->second == GuantanamoCode && call.starts_with("KG4") && call.size() > 3 &&
            call[3] != '/') {
            const std::string_view suffix = call.substr(3, call.find('/', 3) - 3);
            if (suffix.size() != 2)
                return std::string(UsaCode);
        }
        return it->second;
    }
    return std::nullopt;
}
