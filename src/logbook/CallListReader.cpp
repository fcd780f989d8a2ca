#include "logbook/CallListReader.h"

void CallListReader::feed(std::string_view bytes)
{
    for (const char c : bytes) {
        if (separates(c)) {
            emitCall();
        } else if (m_tooLong) {
            continue;
        } else if (m_call.size() == m_limits.wordBytes) {
            m_tooLong = true;
            m_call.clear();
        } else {
            m_call.push_back(c);
        }
    }
}

void CallListReader::finish()
{
    emitCall();
}

void CallListReader::emitCall()
{
    if (m_tooLong) {
        ++m_damaged;
        m_tooLong = false;
        return;
    }
    if (m_call.empty())
        return;
    const LogFieldView field{LogField::Call, m_call};
    deliver(m_sink, LogFields(&field, 1));
    m_call.clear();
}
