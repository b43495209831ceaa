#include "platform/Sjis.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace {

size_t Utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

// One converter per direction and thread, opened at its first use: opening one costs four times
// what converting a grid cell's text does, and a race shown converts some two hundred texts.
class CConverter {
public:
    CConverter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~CConverter()
    {
        if (IsOpen())
            iconv_close(m_cd);
    }
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;
    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// Converts with iconv. An unconvertible sequence is replaced and stepped over (one byte of
// Shift-JIS, one whole character of UTF-8), so conversion never stops early and never loops.
std::string Convert(const CConverter& converter, std::string_view in, std::string_view replacement, bool bUtf8Source)
{
    if (!converter.IsOpen())
        return std::string(in);
    iconv_t cd = converter.Get();
    // Whatever the last conversion left behind is forgotten.
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(in.size() * 3 / 2 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[512];
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, sizeof buf - dstLeft);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ, or EINVAL for a lead byte at the very end.
            out += replacement;
            const size_t skip = bUtf8Source ? Utf8SequenceLength(static_cast<unsigned char>(*src)) : 1;
            const size_t n = std::min(skip, srcLeft);
            src += n;
            srcLeft -= n;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

} // namespace

std::string SjisToUtf8(std::string_view sjis)
{
    thread_local const CConverter converter("UTF-8", "CP932");
    return Convert(converter, sjis, "\xEF\xBF\xBD", false);
}

std::string Utf8ToSjis(std::string_view utf8)
{
    thread_local const CConverter converter("CP932", "UTF-8");
    return Convert(converter, utf8, "?", true);
}

CString Sjis(std::string_view utf8)
{
    return CString(Utf8ToSjis(utf8));
}
