#include "forecast/HomeBranch.h"

#include "platform/Sjis.h"

#include <array>
#include <string>

namespace {

// The prefecture of each venue, whose branch is at home there.
constexpr const char* kVenueBranches[] = {
    "",     "群馬", "埼玉", "東京", "東京", "東京", "静岡", "愛知", "愛知", "三重", "福井", "滋賀", "大阪",
    "兵庫", "徳島", "香川", "岡山", "広島", "山口", "山口", "福岡", "福岡", "福岡", "佐賀", "長崎",
};

} // namespace

bool IsHomeBranch(int nVenue, std::string_view branch)
{
    static const std::array<std::string, std::size(kVenueBranches)> branches = [] {
        std::array<std::string, std::size(kVenueBranches)> a;
        for (size_t i = 0; i < a.size(); ++i)
            a[i] = Sjis(kVenueBranches[i]).Str();
        return a;
    }();
    return nVenue >= 1 && static_cast<size_t>(nVenue) < branches.size() && !branch.empty() &&
           branch == branches[static_cast<size_t>(nVenue)];
}
