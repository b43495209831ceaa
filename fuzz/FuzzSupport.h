#pragma once
// What every fuzz target shares: a scratch working folder (Kelu reads and writes everything
// relative to the working directory), file helpers, and a way to report a broken rule as a
// crash so that the fuzzer keeps the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CKeluDoc;

namespace fuzz {

// Makes a fresh folder under $TMPDIR (or /tmp) the working directory, with data/, data/prog/
// and data/res/ in it, and removes it when the process exits normally. Positional arguments
// that name existing files or folders (corpus folders, inputs to re-run) are made absolute
// first, so that they still work from the new folder. Call it from LLVMFuzzerInitialize.
void EnterScratchDir(int* pArgc, char*** pArgv, const char* pszName);

// Writes the bytes, replacing the file; aborts when that fails (the scratch folder is ours).
void WriteFile(const char* pszPath, std::string_view bytes);
// The file's bytes; false when it cannot be opened.
bool ReadFile(const char* pszPath, std::string& rBytes);
bool FileExists(const char* pszPath);

// Keeps a value made of the answers of the code under test, so that no call is optimised away.
void Keep(size_t n);

// Ends the run as a crash with the rule that was broken, so that the input is kept.
[[noreturn]] void Fail(const char* pszRule, const std::string& strDetail = std::string());

// The input of a day: the program file's bytes, this separator, the result file's bytes. An
// input without the separator is a program file with an empty result file.
inline constexpr std::string_view kResultSeparator = "\n#KELU-RESULT#\n";
struct CDayInput {
    std::string_view program;
    std::string_view result;
};
CDayInput SplitDay(const uint8_t* pData, size_t nSize);
std::string JoinDay(std::string_view program, std::string_view result);

// The day every target loads, 2020-01-01, so that the file names are fixed.
void WriteDayFiles(std::string_view program, std::string_view result);
bool LoadFuzzDay(CKeluDoc& doc);

// Every displayed value, pick, mark and racer search of every venue and race, as the views,
// the sheets and the favourites menu ask for them; checks that the selection survives the
// calls that promise to keep it. Returns a number made of all the answers, so that none of
// them can be optimised away.
size_t ExerciseDay(CKeluDoc& doc);

} // namespace fuzz

namespace fuzz {

// A whole day that stays loaded for the run: with bReal the real published 2020-01-05 when the
// shared data folder is there; else, or without bReal, a fixture day of an ordinary venue and
// one of dead heats, a void race and cancelled races. The document lives as long as the process.
CKeluDoc* LoadFixedDay(bool bReal);

} // namespace fuzz
