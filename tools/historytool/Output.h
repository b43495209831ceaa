#pragma once
// What a command writes on standard output, checked: a script must never take a cut CSV for a
// whole one. Text is gathered and written in large pieces; the first failed write is kept, and
// the command ends with status 1 when there was one.

#include <string>
#include <string_view>

class COutput {
public:
    void Write(std::string_view text);
    // Writes what is left and flushes; false, with the reason in Error(), when any write failed.
    bool Finish();
    const std::string& Error() const { return m_strError; }

private:
    void Flush();

    std::string m_buffer;
    std::string m_strError;
};
