// GCC 12 with -fsanitize=bounds (part of -fsanitize=undefined) miscompiles a call through a
// member-function pointer that is indexed out of a table inside the call expression:
//
//     (object.*kTable[i])()
//
// The instrumented code checks and reads a wrong index: UBSan reports "index -1381507072 out of
// bounds" and the read crashes. Clang, and GCC without the sanitizer, are right. Reading the
// pointer first, as Kelu's code does, keeps every check on and gives the right call:
//
//     const Member pfn = kTable[i];
//     (object.*pfn)()
//
// Run with the argument "direct" under a GCC sanitizer build to see the fault itself; without
// it the program checks the form Kelu uses, and the sanitizer suite runs it as a test.
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct CRow {
    std::string First() const { return "1"; }
    std::string Second() const { return "2"; }
};

using Member = std::string (CRow::*)() const;
const Member kTable[] = {&CRow::First, &CRow::Second};

std::string Direct(const CRow& row, int i)
{
    return (row.*kTable[i])();
}

std::string ThroughLocal(const CRow& row, int i)
{
    const Member pfn = kTable[i];
    return (row.*pfn)();
}

} // namespace

int main(int argc, char** argv)
{
    const bool bDirect = argc > 1 && std::strcmp(argv[1], "direct") == 0;
    const CRow row;
    std::string out;
    for (int i = 0; i < 2; ++i)
        out += bDirect ? Direct(row, i) : ThroughLocal(row, i);
    std::printf("%s\n", out.c_str());
    return out == "12" ? 0 : 1;
}
