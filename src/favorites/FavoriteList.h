#pragma once
// The watched-racer list "data/favorite.txt": one racer a line, the registration number as four
// digits, a TAB and the racer's name (empty until the favourites menu finds the racer on a day),
// Shift-JIS with CR LF line ends; a lone LF also ends a line. The add dialog appends to it, the
// favourites menu fills in names and the organize dialog writes it in a new order. Every change
// replaces the whole file through a temporary one, so a failed write never costs the user a
// line of the list.

#include "platform/String.h"

#include <vector>

class CFavoriteList {
public:
    static constexpr const char* kPath = "data/favorite.txt";
    // The menu's tables hold this many racers; the add dialog refuses more.
    static constexpr int kMaxRacers = 256;
    static constexpr int kMinRegNo = 1000;
    static constexpr int kMaxRegNo = 9999;

    enum class AddResult {
        Added,
        OutOfRange,  // not a number of 1000..9999
        Duplicate,   // the number is in the list already
        Full,        // the list holds 256 lines
        Unavailable, // the file could not be read or written; it is as it was
    };

    // The key of a line: its text before the first TAB, the whole line when it has none.
    static CString KeyText(const CString& strLine);
    // The key's value as atoi reads it: leading blanks, a sign, digits; no digits gives 0.
    static int Key(const CString& strLine);
    // The name: what follows the first five bytes (the four digits and the TAB). A malformed
    // line whose fifth byte is the middle of a character starts the name after that character.
    static CString Name(const CString& strLine);

    // The organize dialog's entry of a line: every TAB as three blanks, then 16 full-width
    // blanks, and the way back: pairs of full-width blanks removed, then three blanks to a TAB.
    static CString EntryText(const CString& strLine);
    static CString LineOfEntry(const CString& strEntry);

    // Reads every line, creating an empty file when there is none. False, with no lines, when
    // the file cannot be opened or read to its end.
    bool Read();
    const std::vector<CString>& Lines() const { return m_lines; }

    // Replaces the file with the lines, each ending in CR LF. False, and the old file intact,
    // when the new one cannot be written.
    static bool Write(const std::vector<CString>& lines);

    // The add dialog's rules for the typed text: its value must be 1000..9999; the number must
    // not be in the list (checked line by line as the file is read, so a duplicate is reported
    // even when the list is full); the list must hold fewer than 256 lines, every line counted.
    // Then the text and a TAB are added as the last line.
    static AddResult Add(const CString& strRegNo);

private:
    std::vector<CString> m_lines;
};
