#include "DayFixture.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

const CTime kDay(2020, 1, 1, 12, 0, 0);

std::unique_ptr<CKeluDoc> NewDoc()
{
    return std::make_unique<CKeluDoc>();
}

} // namespace

TEST(DayReaderTest, FileNamesComeFromTheLocalDate)
{
    EXPECT_EQ(CKeluDoc::ProgramFileName(CTime(2005, 3, 5, 0, 0, 0)), "data/prog/B050305.TXT");
    EXPECT_EQ(CKeluDoc::ResultFileName(CTime(2005, 3, 5, 23, 59, 59)), "data/res/K050305.TXT");
}

TEST(DayReaderTest, LoadsProgramsAndResultsIntoTheirSlots)
{
    fixture::ProgramVenue venue{.venue = 12, .races = {{.race = 1}, {.race = 2}}};
    fixture::WriteProgramFile(kDay, fixture::ProgramFile({venue}));
    fixture::ResultVenue results{.venue = 12, .races = {{.race = 1}}};
    fixture::WriteResultFile(kDay, fixture::ResultFile({results}));

    auto doc = NewDoc();
    EXPECT_TRUE(doc->LoadDay(kDay));
    EXPECT_TRUE(doc->HasRace(12, 1));
    EXPECT_TRUE(doc->HasRace(12, 2));
    EXPECT_FALSE(doc->HasRace(12, 3));
    EXPECT_FALSE(doc->HasRace(11, 1));
    doc->SetSelection(12, 2);
    EXPECT_EQ(doc->GetProgramLine(3).Left(6), "3 4013");
    EXPECT_EQ(doc->GetRaceTitle(), " " + fixture::RaceHeaderLine(2));
    doc->SetSelection(0, 1);
    EXPECT_EQ(doc->GetFinishLine(1), fixture::FinishLine({.place = "01", .boat = 1, .regNo = "4001"}));
    EXPECT_EQ(doc->GetResultLine(3).Mid(17, 1), "1");
}
