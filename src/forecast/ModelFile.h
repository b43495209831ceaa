#pragma once
// The forecast's model on disk, data/forecast.json: a format version, each coefficient set's
// feature names with their means and scales, weights and pair tables, the training period and
// the last fit's figures. Written through nlohmann-json and replaced atomically.
//
// The program ships a model fitted on published days; it is built into the program as well,
// so that a missing or damaged file still leaves a forecast, said once in words.

#include "forecast/ForecastModel.h"

#include <string>

class CModelFile {
public:
    static constexpr const char* kPath = "data/forecast.json";
    static constexpr int kFormat = 1;

    // The model as text, and back. Read resolves the model against this program's features;
    // false, with the reason in words, for text that is no model this program can use.
    static std::string Write(const CForecastModel& model);
    static bool Read(const std::string& strText, CForecastModel& model, std::string& strError);

    // Reads the file; false with the reason in words.
    static bool Load(const std::string& strPath, CForecastModel& model, std::string& strError);
    // Replaces the file with the model; false with the reason when it cannot be written.
    static bool Save(const std::string& strPath, const CForecastModel& model, std::string& strError);

    // The model the program ships, built in.
    static const std::string& ShippedText();
    static CForecastModel Shipped();

    // The model at kPath, or the shipped one when that cannot be used: then strWarning says
    // why in words, for the user to be told once; otherwise it is emptied.
    static CForecastModel Current(std::string& strWarning);
};
