#pragma once
// The commands of kelu-history, each on an open data folder. Each returns the exit status:
// 0 done, 1 the folder, the store, the day or the output failed, 2 a bad argument.

#include "historytool/Arguments.h"

class CDataFolder;

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadArgument = 2;

int RunCommand(const CArguments& args, const CDataFolder& folder);
// Unpacks the day archives of the folder (bYYMMDD.lzh, kYYMMDD.lzh) into data/prog and data/res.
int Import(const std::string& strArchives);
