#pragma once
// Racers race at home, at a venue of their own branch, more often than elsewhere, and know the
// water better there.

#include <string_view>

// Whether the branch (Shift-JIS, as the program writes it: "長崎") is that of the venue 1..24.
bool IsHomeBranch(int nVenue, std::string_view branch);
