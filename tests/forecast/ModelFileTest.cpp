// The model file: what is written reads back the same, every kind of bad file is refused in
// words, and then the shipped model serves.

#include "forecast/Features.h"
#include "forecast/ModelFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

void Write(const std::string& text)
{
    fs::create_directories("data");
    std::ofstream(CModelFile::kPath, std::ios::binary) << text;
}

// The shipped model's text with one piece replaced.
std::string ShippedWith(const std::string& from, const std::string& to)
{
    std::string text = CModelFile::ShippedText();
    const size_t nPos = text.find(from);
    EXPECT_NE(nPos, std::string::npos) << from;
    return text.replace(nPos, from.size(), to);
}

} // namespace

TEST(ModelFileTest, TheShippedModelResolvesAndWhatIsWrittenReadsBackTheSame)
{
    const CForecastModel shipped = CModelFile::Shipped();
    ASSERT_TRUE(shipped.IsUsable());
    ASSERT_TRUE(shipped.HasSet(EFeatureSet::History));
    EXPECT_EQ(shipped.m_nFrom, 20200101);
    EXPECT_EQ(shipped.m_nTo, 20200930);
    // Every feature this program computes is in the set that uses it.
    EXPECT_EQ(shipped.Set(EFeatureSet::History).names, CFeatures::Names());
    EXPECT_EQ(static_cast<int>(shipped.Set(EFeatureSet::Program).names.size()), CFeatures::ProgramCount());
    EXPECT_GT(shipped.Set(EFeatureSet::Program).nRaces, 40000);

    fs::create_directories("data");
    std::string strError;
    ASSERT_TRUE(CModelFile::Save(CModelFile::kPath, shipped, strError)) << strError;
    CForecastModel read;
    ASSERT_TRUE(CModelFile::Load(CModelFile::kPath, read, strError)) << strError;
    for (const EFeatureSet s : {EFeatureSet::Program, EFeatureSet::History}) {
        const CCoefficientSet &a = shipped.Set(s), &b = read.Set(s);
        EXPECT_EQ(a.names, b.names);
        EXPECT_EQ(a.mean, b.mean);
        EXPECT_EQ(a.scale, b.scale);
        EXPECT_EQ(a.weights, b.weights);
        EXPECT_EQ(a.pairs.second, b.pairs.second);
        EXPECT_EQ(a.pairs.thirdAfterSecond, b.pairs.thirdAfterSecond);
    }
    EXPECT_EQ(read.m_figures, shipped.m_figures);
    // The same text, the same model to the store.
    EXPECT_EQ(read.m_strFingerprint, shipped.m_strFingerprint);
    std::string strWarning;
    EXPECT_EQ(CModelFile::Current(strWarning).m_strFingerprint, shipped.m_strFingerprint);
    EXPECT_EQ(strWarning, "");
    // Replaced whole: no temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator("data"), fs::directory_iterator()), 1);
}

TEST(ModelFileTest, ABadFileIsRefusedInWordsAndTheShippedModelServesInstead)
{
    const std::string shipped = CModelFile::ShippedText();
    const std::string firstWeights = "\"first\": [\n";
    struct CCase {
        const char* pszWhat;
        std::string text; // none: no file
        std::string strReason;
    };
    const std::vector<CCase> cases = {
        {"missing", "", "ファイルがありません"},
        {"cut short", shipped.substr(0, shipped.size() / 2), "JSON として読めません（壊れています）"},
        {"not JSON", "\x82\xa0 forecast", "JSON として読めません（壊れています）"},
        {"another version", ShippedWith("\"format\": 1", "\"format\": 2"), "形式の版が違います (2、このプログラムは 1)"},
        {"a weight too many", ShippedWith("\"first\": [", "\"first\": [ 0.5,"), "特徴量の数と係数の数が合いません"},
        {"a feature unknown", ShippedWith("\"name\": \"lane2\"", "\"name\": \"tide\""),
         "このプログラムの知らない特徴量があります: tide"},
        {"a weight that is no number", ShippedWith("\"first\": [", "\"first\": [ null,"),
         "モデルの項目が足りないか、形が違います"},
        {"no sets", "{\"format\": 1, \"training\": {\"from\": \"2020-01-01\", \"to\": \"2020-09-30\"}, \"figures\": {}, "
                    "\"sets\": {}}",
         "番組表だけの係数がありません"},
        {"a scale of zero", ShippedWith("\"scale\": ", "\"scale\": 0, \"was\": "),
         "特徴量 lane2 の尺度が正しくありません"},
    };
    const CForecastModel model = CModelFile::Shipped();
    for (const CCase& c : cases) {
        std::error_code ec;
        fs::remove(CModelFile::kPath, ec);
        if (!c.text.empty())
            Write(c.text);
        CForecastModel read;
        std::string strError;
        EXPECT_FALSE(CModelFile::Load(CModelFile::kPath, read, strError)) << c.pszWhat;
        EXPECT_EQ(strError, c.strReason) << c.pszWhat;
        EXPECT_FALSE(read.IsUsable()) << c.pszWhat;
        std::string strWarning;
        const CForecastModel current = CModelFile::Current(strWarning);
        EXPECT_EQ(strWarning, "予測のモデル data/forecast.json を使えません（" + c.strReason + "）。同梱のモデルで予測します。")
            << c.pszWhat;
        EXPECT_TRUE(current.IsUsable());
        EXPECT_EQ(current.m_strFingerprint, model.m_strFingerprint) << c.pszWhat;
    }
}
