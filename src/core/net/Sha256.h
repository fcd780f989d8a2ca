#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

// SHA-256 of bytes that arrive in pieces, by the system's libcrypto.
class Sha256
{
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void add(std::string_view bytes);
    // The digest of everything added; nothing when the library failed. Adding starts over.
    std::optional<Digest> finish();

    static std::optional<Digest> of(std::string_view bytes);
    // 64 hexadecimal digits, small or capital letters; nothing for anything else.
    static std::optional<Digest> fromHex(std::string_view hex);
    static std::string toHex(const Digest &digest);

private:
    void restart();

    struct Free
    {
        void operator()(evp_md_ctx_st *context) const;
    };
    std::unique_ptr<evp_md_ctx_st, Free> m_context;
    bool m_failed = false;
};
