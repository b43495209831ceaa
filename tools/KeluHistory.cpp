// kelu-history [--data DIR] COMMAND
//
// The history store for scripts, on the same code as the program's windows. DIR is the data
// folder (./data by default) with prog/, res/ and the store history.sqlite.
//
//   update                        brings the store up to date and tells what it read
//   racer REGNO                   the racer's races as CSV, oldest first
//   record [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//                                 the predictions' record as CSV, by venue, month and in total
//   predict YYYY-MM-DD            the forecast of every race of the day as CSV
//   fit [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//                                 fits a new forecast model on the decided races of the period
//                                 and writes it to DIR/forecast.json
//   entries [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//                                 every boat of every stored race of the period as CSV, with its
//                                 program's figures and its result
//   payouts [--from YYYY-MM-DD] [--to YYYY-MM-DD]
//                                 every winning payout line of the period's races as CSV
//   import FOLDER                 unpacks the day archives in FOLDER (bYYMMDD.lzh, kYYMMDD.lzh)
//                                 into DIR/prog and DIR/res with the program's archive library
//   help, --help, -h              the usage
//
// The commands that read the store bring it up to date first, quietly, forecasts included; a
// store that cannot be written is read as it is, with a warning. Every CSV is UTF-8 with LF.
// Exit status: 0 done, 1 the data folder, its store, the day or the output failed, 2 a bad
// argument.

#include "historytool/Arguments.h"
#include "historytool/Commands.h"
#include "historytool/DataFolder.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    CArguments args;
    const std::string strError = ReadArguments(argc, argv, args);
    if (args.bHelp) {
        std::printf("%s\n", kUsage);
        return std::fflush(stdout) == 0 ? kExitDone : kExitFailed;
    }
    if (!strError.empty()) {
        std::fprintf(stderr, "kelu-history: %s\n", strError.c_str());
        return kExitBadArgument;
    }
    // The folder of archives is named from where the command was given.
    const std::string strArchives =
        args.strCommand == "import" ? std::filesystem::absolute(args.operands[0]).string() : std::string();
    CDataFolder folder;
    std::string strFolderError;
    if (!folder.Enter(args.strData, strFolderError)) {
        std::fprintf(stderr, "kelu-history: %s\n", strFolderError.c_str());
        return kExitFailed;
    }
    if (args.strCommand == "import")
        return Import(strArchives);
    return RunCommand(args, folder);
}
