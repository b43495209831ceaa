#include "forecast/ModelFile.h"

#include "platform/TextFile.h"
#include "platform/Time.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

// The text of the shipped model, made at build time from data/forecast.json.
extern const char* const g_pszShippedForecastModel;

namespace {

using json = nlohmann::ordered_json;

const char* const kSetNames[] = {"program", "history"};
const char* const kPlaceNames[] = {"first", "second", "third"};
const char* const kPairNames[] = {"second", "third_after_first", "third_after_second"};

int DateOfText(const std::string& s)
{
    int y = 0, m = 0, d = 0;
    if (s.size() != 10 || std::sscanf(s.c_str(), "%4d-%2d-%2d", &y, &m, &d) != 3)
        return 0;
    return y * 10000 + m * 100 + d;
}

// FNV-1a over the bytes: what the store keeps to tell one model from another.
std::string Fingerprint(const std::string& s)
{
    unsigned long long h = 14695981039346656037ULL;
    for (unsigned char ch : s) {
        h ^= ch;
        h *= 1099511628211ULL;
    }
    char sz[20];
    std::snprintf(sz, sizeof sz, "%016llx", h);
    return sz;
}

CPairTables::CTable* Tables(CPairTables& pairs, int t)
{
    CPairTables::CTable* tables[] = {&pairs.second, &pairs.thirdAfterFirst, &pairs.thirdAfterSecond};
    return tables[t];
}

json SetJson(const CCoefficientSet& set)
{
    json j;
    j["races"] = set.nRaces;
    json features = json::array();
    for (size_t i = 0; i < set.names.size(); ++i)
        features.push_back({{"name", set.names[i]}, {"mean", set.mean[i]}, {"scale", set.scale[i]}});
    j["features"] = features;
    for (int p = 0; p < 3; ++p)
        j["weights"][kPlaceNames[p]] = set.weights[p];
    CPairTables pairs = set.pairs;
    for (int t = 0; t < 3; ++t)
        j["pairs"][kPairNames[t]] = *Tables(pairs, t);
    return j;
}

void ReadSet(const json& j, CCoefficientSet& set)
{
    set = CCoefficientSet();
    set.nRaces = j.at("races").get<int>();
    for (const json& f : j.at("features")) {
        set.names.push_back(f.at("name").get<std::string>());
        set.mean.push_back(f.at("mean").get<double>());
        set.scale.push_back(f.at("scale").get<double>());
    }
    for (int p = 0; p < 3; ++p)
        set.weights[p] = j.at("weights").at(kPlaceNames[p]).get<std::vector<double>>();
    for (int t = 0; t < 3; ++t) {
        const auto rows = j.at("pairs").at(kPairNames[t]).get<std::vector<std::vector<double>>>();
        if (rows.size() != 6)
            throw std::invalid_argument("pairs");
        for (size_t a = 0; a < 6; ++a) {
            if (rows[a].size() != 6)
                throw std::invalid_argument("pairs");
            for (size_t b = 0; b < 6; ++b) {
                if (!std::isfinite(rows[a][b]))
                    throw std::invalid_argument("pairs");
                (*Tables(set.pairs, static_cast<int>(t)))[a][b] = rows[a][b];
            }
        }
    }
}

} // namespace

std::string CModelFile::Write(const CForecastModel& model)
{
    json j;
    j["format"] = kFormat;
    j["training"] = {{"from", DateText(model.m_nFrom, '-')}, {"to", DateText(model.m_nTo, '-')}};
    j["figures"] = json::object();
    for (const auto& [name, value] : model.m_figures)
        j["figures"][name] = value;
    for (int s = 0; s < 2; ++s)
        if (model.HasSet(static_cast<EFeatureSet>(s)))
            j["sets"][kSetNames[s]] = SetJson(model.Set(static_cast<EFeatureSet>(s)));
    return j.dump(1) + "\n";
}

bool CModelFile::Read(const std::string& strText, CForecastModel& model, std::string& strError)
{
    CForecastModel read;
    try {
        const json j = json::parse(strText);
        if (!j.is_object() || !j.contains("format") || !j["format"].is_number_integer())
            throw std::invalid_argument("format");
        if (j["format"].get<int>() != kFormat) {
            strError = "形式の版が違います (" + j["format"].dump() + "、このプログラムは " + std::to_string(kFormat) + ")";
            return false;
        }
        read.m_nFrom = DateOfText(j.at("training").at("from").get<std::string>());
        read.m_nTo = DateOfText(j.at("training").at("to").get<std::string>());
        for (const auto& [name, value] : j.at("figures").items())
            read.m_figures[name] = value.get<double>();
        for (int s = 0; s < 2; ++s)
            if (j.at("sets").contains(kSetNames[s]))
                ReadSet(j["sets"][kSetNames[s]], read.Set(static_cast<EFeatureSet>(s)));
    } catch (const json::parse_error&) {
        strError = "JSON として読めません（壊れています）";
        return false;
    } catch (const std::exception&) {
        strError = "モデルの項目が足りないか、形が違います";
        return false;
    }
    if (!read.Resolve(strError))
        return false;
    read.m_strFingerprint = Fingerprint(strText);
    model = std::move(read);
    return true;
}

bool CModelFile::Load(const std::string& strPath, CForecastModel& model, std::string& strError)
{
    std::ifstream in(strPath, std::ios::binary);
    if (!in) {
        strError = "ファイルがありません";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        strError = "ファイルを読めません";
        return false;
    }
    return Read(text.str(), model, strError);
}

bool CModelFile::Save(const std::string& strPath, const CForecastModel& model, std::string& strError)
{
    if (!ReplaceFileAtomically(CString(strPath), Write(model))) {
        strError = strPath + " を書けません";
        return false;
    }
    return true;
}

const std::string& CModelFile::ShippedText()
{
    static const std::string text = g_pszShippedForecastModel;
    return text;
}

CForecastModel CModelFile::Shipped()
{
    CForecastModel model;
    std::string strError;
    // The build makes it from a model this program wrote; the tests read it back.
    Read(ShippedText(), model, strError);
    return model;
}

CForecastModel CModelFile::Current(std::string& strWarning)
{
    strWarning.clear();
    CForecastModel model;
    std::string strError;
    if (Load(kPath, model, strError))
        return model;
    CForecastModel shipped = Shipped();
    strWarning = std::string("予測のモデル ") + kPath + " を使えません（" + strError + "）。" +
                 (shipped.IsUsable() ? "同梱のモデルで予測します。" : "同梱のモデルもないので、予測はしません。");
    return shipped;
}
