#pragma once
// Reading and writing the document's line slots directly, for tests that check what a reader
// stored or that place a hand-made line where a reader would have put it.

#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace testsupport {

// Shift-JIS bytes of a UTF-8 text.
inline std::string Sj(std::string_view utf8)
{
    return Utf8ToSjis(utf8);
}

// A slot's text up to its NUL.
inline std::string Slot(const char* p)
{
    return std::string(p, strnlen(p, CKeluDoc::kLineSize));
}

template <typename Array>
bool AllZero(const Array& a)
{
    const char* p = reinterpret_cast<const char*>(&a);
    return std::all_of(p, p + sizeof a, [](char ch) { return ch == 0; });
}

// Stores raw bytes in a slot, as the reader leaves a line there.
inline void Put(char (&slot)[CKeluDoc::kLineSize], const std::string& bytes)
{
    ASSERT_LT(bytes.size(), sizeof slot);
    std::memset(slot, 0, sizeof slot);
    std::memcpy(slot, bytes.data(), bytes.size());
}

} // namespace testsupport
