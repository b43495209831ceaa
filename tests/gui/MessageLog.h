#pragma once
// Records the message boxes instead of showing them, and answers each one with nAnswer. The
// calls are kept in UTF-8, as the tests write the expected texts.

#include "platform/Sjis.h"
#include "platform/gui/MessageBox.h"
#include "res/resource.h"

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class CMessageLog {
public:
    struct CCall {
        std::string text;
        std::string caption;
        unsigned type = 0;
        bool operator==(const CCall&) const = default;
    };

    CMessageLog()
        : m_old(SetMessageBoxHook([this](const MessageBoxCall& call) {
            calls.push_back({SjisToUtf8(call.text.Str()), SjisToUtf8(call.caption.Str()), call.type});
            return nAnswer;
        }))
    {
    }
    ~CMessageLog() { SetMessageBoxHook(std::move(m_old)); }
    CMessageLog(const CMessageLog&) = delete;
    CMessageLog& operator=(const CMessageLog&) = delete;

    // "text|caption|type" of each call, for comparing a whole list at once.
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const CCall& c : calls)
            texts.push_back(c.text + "|" + c.caption + "|" + std::to_string(c.type));
        return texts;
    }

    std::vector<CCall> calls;
    int nAnswer = IDOK;

private:
    MessageBoxHook m_old;
};

} // namespace testsupport
