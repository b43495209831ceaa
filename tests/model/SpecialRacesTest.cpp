// Races that a fixed slot a bet reads wrong: dead heats give a bet more than one winning line,
// and every later bet moves down; void and cancelled races leave words where values would be.
// The races are those of published result files (tests/support/SpecialRaces).

#include "DocSlots.h"
#include "SpecialRaces.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using EBet = CKeluDoc::EBet;
const CTime kDay(2020, 2, 20, 12, 0, 0);
constexpr int kVenue = 21;

std::string U(const CString& s)
{
    return SjisToUtf8(s.Str());
}

std::unique_ptr<CKeluDoc> SpecialDay(int nRace)
{
    fixture::WriteSpecialDay(kDay, kVenue);
    auto doc = std::make_unique<CKeluDoc>();
    EXPECT_TRUE(doc->LoadDay(kDay));
    doc->SetSelection(kVenue, nRace);
    return doc;
}

struct SBetValues {
    std::string combo, pay, popularity;
    bool operator==(const SBetValues&) const = default;
};

std::vector<SBetValues> ComboBets(const CKeluDoc& d)
{
    auto trimmed = [](CString s) {
        s.Trim();
        return U(s);
    };
    return {{U(d.GetExactaResult()), trimmed(d.GetExactaPay()), U(d.GetExactaPopularity())},
            {U(d.GetQuinellaResult()), trimmed(d.GetQuinellaPay()), U(d.GetQuinellaPopularity())},
            {U(d.GetTrifectaResult()), trimmed(d.GetTrifectaPay()), U(d.GetTrifectaPopularity())},
            {U(d.GetTrioResult()), trimmed(d.GetTrioPay()), U(d.GetTrioPopularity())}};
}

std::vector<std::string> Combos(const CKeluDoc& d, EBet bet)
{
    std::vector<std::string> out;
    for (const CString& s : d.GetWinningCombos(bet))
        out.push_back(U(s));
    return out;
}

} // namespace

TEST(SpecialRacesTest, EveryBetOfADeadHeatReadsItsFirstLineUnderItsOwnLabel)
{
    {
        SCOPED_TRACE("second place shared");
        auto d = SpecialDay(fixture::kRaceSharedSecond);
        EXPECT_EQ(U(d->GetWinBoat()), "2");
        EXPECT_EQ(U(d->GetPlaceBoat2()), "3");
        EXPECT_EQ(ComboBets(*d), (std::vector<SBetValues>{{"2-3", "1020", "7"}, {"2-3", "640", "4"},
                                                          {"2-3-6", "2690", "20"}, {"2-3-6", "3240", "10"}}));
        // Where the positions of an ordinary race would have read the quinella, the exacta's
        // second line stands.
        EXPECT_EQ(U(d->GetComboText(6)), "2-6");
        EXPECT_EQ(Combos(*d, EBet::Exacta), (std::vector<std::string>{"2-3", "2-6"}));
        EXPECT_EQ(Combos(*d, EBet::Wide), (std::vector<std::string>{"2-3", "2-6", "3-6"}));
        EXPECT_EQ(Combos(*d, EBet::Trifecta), (std::vector<std::string>{"2-3-6", "2-6-3"}));
        ASSERT_EQ(d->GetBetLines(EBet::Place).size(), 1u);
        EXPECT_EQ(U(d->GetBetLines(EBet::Place)[0]), "2          110  3          270  6          240");
        // The printed sheet's combinations say where a bet paid more than it has room for.
        std::vector<std::string> sheet;
        for (int nLine = 59; nLine <= 65; ++nLine)
            sheet.push_back(U(d->GetResultSheetValue(nLine)));
        EXPECT_EQ(sheet, (std::vector<std::string>{"2", "2", "3他", "2-3他", "2-3他", "2-3-6他", "2-3-6"}));
        EXPECT_EQ(d->CountWinningLines(EBet::Place), 3);
    }
    {
        SCOPED_TRACE("third place shared");
        auto d = SpecialDay(fixture::kRaceSharedThird);
        EXPECT_EQ(ComboBets(*d), (std::vector<SBetValues>{{"1-2", "620", "2"}, {"1-2", "420", "2"},
                                                          {"1-2-3", "1020", "5"}, {"1-2-3", "300", "3"}}));
        EXPECT_EQ(Combos(*d, EBet::Trio), (std::vector<std::string>{"1-2-3", "1-2-5"}));
        EXPECT_EQ(d->FindBetLines(EBet::Wide).size(), 5u);
    }
    {
        SCOPED_TRACE("first place shared");
        auto d = SpecialDay(fixture::kRaceSharedFirst);
        EXPECT_EQ(U(d->GetWinBoat()), "2");
        EXPECT_EQ(U(d->GetWinPay()), "    140");
        ASSERT_EQ(d->GetBetLines(EBet::Win).size(), 2u);
        EXPECT_EQ(U(d->GetBetLines(EBet::Win)[1]), "3          180");
        EXPECT_EQ(U(d->GetPlaceBoat()), "2");
        // The second win line pushed the place line down a slot: its second boat is still read.
        EXPECT_EQ(U(d->GetPlaceBoat2()), "3");
        EXPECT_EQ(U(d->GetPlacePay2()), "  120");
        EXPECT_EQ(d->CountWinningLines(EBet::Place), 2);
        EXPECT_FALSE(d->HasMoreThanShown(EBet::Place));
        EXPECT_TRUE(d->HasMoreThanShown(EBet::Win));
        EXPECT_EQ(ComboBets(*d), (std::vector<SBetValues>{{"2-3", "520", "2"}, {"2-3", "300", "1"},
                                                          {"2-3-6", "1690", "6"}, {"2-3-6", "640", "2"}}));
        EXPECT_EQ(Combos(*d, EBet::Exacta), (std::vector<std::string>{"2-3", "3-2"}));
    }
}

TEST(SpecialRacesTest, AHitIsCountedOnAnyWinningLine)
{
    auto d = SpecialDay(fixture::kRaceSharedSecond);
    std::vector<std::string> exacta;
    for (int k = 1; k <= 6; ++k)
        exacta.push_back(U(d->GetExactaPick(k).Left(3)));
    ASSERT_EQ(std::count(exacta.begin(), exacta.end(), "2-3"), 0) << "the first line must not be a pick";
    ASSERT_EQ(std::count(exacta.begin(), exacta.end(), "2-6"), 1) << "the second line must be one";
    EXPECT_TRUE(d->IsExactaHit());
    EXPECT_TRUE(d->IsWinningExacta(Sjis("2-6")));
    EXPECT_FALSE(d->IsWinningExacta(Sjis("6-2")));

    d = SpecialDay(fixture::kRaceSharedThird);
    std::vector<std::string> trifecta;
    for (int k = 1; k <= 12; ++k)
        trifecta.push_back(U(d->GetTrifectaPick(k)));
    ASSERT_EQ(std::count(trifecta.begin(), trifecta.end(), "1-2-3"), 0);
    ASSERT_EQ(trifecta[0], "1-2-5");
    EXPECT_TRUE(d->IsTrifectaHit());
}

TEST(SpecialRacesTest, VoidAndCancelledRacesAndBetsSayWhy)
{
    auto d = SpecialDay(fixture::kRaceVoid);
    EXPECT_TRUE(d->IsRaceVoid());
    EXPECT_EQ(U(d->GetWinningMove()), "レース不成立");
    EXPECT_EQ(U(d->GetFinishPlace(1)), "F ");
    EXPECT_EQ(U(d->GetWinBoat()), "");
    EXPECT_EQ(U(d->GetExactaResult()), "");
    EXPECT_FALSE(d->IsExactaHit());
    EXPECT_FALSE(d->IsTrifectaHit());

    d->SetSelection(kVenue, fixture::kRaceVoidBets);
    EXPECT_FALSE(d->IsRaceVoid());
    EXPECT_EQ(U(d->GetWinBoat()), "6");
    EXPECT_EQ(U(d->GetPlaceBoat()), "不成立");
    EXPECT_EQ(U(d->GetExactaResult()), "6-5");
    EXPECT_EQ(ComboBets(*d)[1], (SBetValues{"不成立", "", ""}));
    EXPECT_EQ(ComboBets(*d)[3], (SBetValues{"不成立", "", ""}));
    EXPECT_TRUE(Combos(*d, EBet::Trifecta).empty());
    EXPECT_FALSE(d->IsTrifectaHit());

    for (int r : {int(fixture::kRaceCancelled), fixture::kRaceCancelled + 1}) {
        d->SetSelection(kVenue, r);
        EXPECT_TRUE(d->IsRaceCancelled()) << r;
        EXPECT_EQ(U(d->GetWinningMove()), "中止") << r;
        EXPECT_FALSE(d->IsExactaHit());
    }
    // A race with results is neither, whatever its summary line says.
    d->SetSelection(kVenue, fixture::kRaceSharedFirst);
    EXPECT_FALSE(d->IsRaceCancelled());
    EXPECT_FALSE(d->IsRaceVoid());
    EXPECT_EQ(U(d->GetWinningMove()), "まくり　　");
}
