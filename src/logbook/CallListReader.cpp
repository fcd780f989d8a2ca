#include "logbook/CallListReader.h"

namespace {

bool separates(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';' || c == '\f' ||
           c == '\v';
}

} // namespace

void CallListReader::feed(std::string_view bytes)
{
    for (const char c : bytes) {
        if (separates(c))
            emitCall();
        else
            m_call.push_back(c);
    }
}

void CallListReader::finish()
{
    emitCall();
}

void CallListReader::emitCall()
{
    if (m_call.empty())
        return;
    const LogFieldView field{LogField::Call, m_call};
    m_sink.record(LogFields(&field, 1));
    m_call.clear();
}
