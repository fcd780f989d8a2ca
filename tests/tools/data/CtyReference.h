#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One entity of cty.dat: its name and its primary prefix ("*" first for a WAE-only entity).
struct CtyEntity
{
    std::string name;
    std::string code;
    bool wae = false;
};

// What cty.dat itself says about a call, read straight from cty.dat and independent of the
// program's tables: an exact call ("=CALL") first, then the longest prefix. On top of that
// the rule that loggers apply because cty.dat cannot express it: "KG4" with a two-character
// suffix is Guantanamo Bay, with any other suffix a US call.
class CtyReference
{
public:
    static constexpr std::string_view UsaCode = "K";
    static constexpr std::string_view GuantanamoCode = "KG4";

    // Reads cty.dat; false with a message when the file is missing or not understood.
    bool load(const std::filesystem::path &ctyDat, std::string &error);
    bool parse(std::string_view text, std::string &error);

    // The entity code of a call in upper case; nothing when no prefix fits.
    std::optional<std::string> entityOf(std::string_view call) const;
    // The entity whose own prefix list holds exactly this prefix.
    std::optional<std::string> entityOfPrefix(std::string_view prefix) const;
    bool isExactCall(std::string_view call) const
    {
        return m_exactCalls.contains(std::string(call));
    }

    const std::vector<CtyEntity> &entities() const { return m_entities; }
    std::size_t prefixCount() const { return m_prefixes.size(); }
    std::size_t exactCallCount() const { return m_exactCalls.size(); }
    // Every exact call ("=CALL") with its entity code, the WAE one where both list it.
    const std::unordered_map<std::string, std::string> &exactCalls() const { return m_exactCalls; }

private:
    bool addEntity(const CtyEntity &entity, std::string_view aliases, std::string &error);

    std::vector<CtyEntity> m_entities;
    std::unordered_map<std::string, std::string> m_prefixes;
    std::unordered_map<std::string, std::string> m_exactCalls;
};
