#pragma once
// kelu-history run as scripts run it: a child process in the working directory, under a German
// locale whose decimal mark is a comma, its output into a file and its messages into err.txt.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace toolrun {

struct CRun {
    int nStatus = -1;
    std::vector<std::string> out; // lines, without their line ends
    std::vector<std::string> err;
};

inline std::vector<std::string> FileLines(const char* pszPath)
{
    std::ifstream in(pszPath, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

inline std::string FileBytes(const char* pszPath)
{
    std::ifstream in(pszPath, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs the program with the arguments, its output into the file (out.txt unless another is
// named).
inline CRun RunTool(std::vector<std::string> args, const char* pszOut = "out.txt")
{
    args.insert(args.begin(), KELU_HISTORY_TOOL);
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(pszOut, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        setenv("LC_ALL", "de_DE.UTF-8", 1);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    CRun run;
    int nStatus = 0;
    if (pid > 0 && waitpid(pid, &nStatus, 0) == pid && WIFEXITED(nStatus))
        run.nStatus = WEXITSTATUS(nStatus);
    // A device such as /dev/full reads as endless zeros.
    if (std::filesystem::is_regular_file(pszOut))
        run.out = FileLines(pszOut);
    run.err = FileLines("err.txt");
    return run;
}

} // namespace toolrun
