#include "historytool/Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kPiece = 1 << 16;

} // namespace

void COutput::Write(std::string_view text)
{
    m_buffer.append(text);
    if (m_buffer.size() >= kPiece)
        Flush();
}

void COutput::Flush()
{
    if (m_strError.empty() && !m_buffer.empty() &&
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout) != m_buffer.size())
        m_strError = std::strerror(errno);
    m_buffer.clear();
}

bool COutput::Finish()
{
    Flush();
    if (std::fflush(stdout) != 0 && m_strError.empty())
        m_strError = std::strerror(errno);
    if (std::ferror(stdout) && m_strError.empty())
        m_strError = "書き込みに失敗しました";
    return m_strError.empty();
}
