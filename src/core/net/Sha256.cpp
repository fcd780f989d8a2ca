#include "core/net/Sha256.h"

#include "core/text/Integer.h"

#include <openssl/evp.h>

void Sha256::Free::operator()(evp_md_ctx_st *context) const
{
    EVP_MD_CTX_free(context);
}

Sha256::Sha256() : m_context(EVP_MD_CTX_new())
{
    restart();
}

Sha256::~Sha256() = default;

void Sha256::restart()
{
    m_failed = !m_context || EVP_DigestInit_ex(m_context.get(), EVP_sha256(), nullptr) != 1;
}

void Sha256::add(std::string_view bytes)
{
    if (!m_failed && EVP_DigestUpdate(m_context.get(), bytes.data(), bytes.size()) != 1)
        m_failed = true;
}

std::optional<Sha256::Digest> Sha256::finish()
{
    Digest digest{};
    unsigned int length = 0;
    const bool done = !m_failed &&
                      EVP_DigestFinal_ex(m_context.get(), digest.data(), &length) == 1 &&
                      length == digest.size();
    restart();
    if (!done)
        return std::nullopt;
    return digest;
}

std::optional<Sha256::Digest> Sha256::of(std::string_view bytes)
{
    Digest digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) !=
            1 ||
        length != digest.size())
        return std::nullopt;
    return digest;
}

std::optional<Sha256::Digest> Sha256::fromHex(std::string_view hex)
{
    Digest digest{};
    if (hex.size() != 2 * digest.size())
        return std::nullopt;
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const std::optional<std::uint64_t> byte =
            parseUnsigned(hex.substr(2 * i, 2), IntegerSyntaxes::HexDigits);
        if (!byte)
            return std::nullopt;
        digest[i] = static_cast<std::uint8_t>(*byte);
    }
    return digest;
}

std::string Sha256::toHex(const Digest &digest)
{
    static constexpr char Digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * digest.size());
    for (const std::uint8_t byte : digest) {
        hex += Digits[byte >> 4];
        hex += Digits[byte & 0x0f];
    }
    return hex;
}
