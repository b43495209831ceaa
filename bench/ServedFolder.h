#pragma once
// What a download benchmark works in: a working folder of its own and a server on 127.0.0.1
// that serves its archives. Enter steps into the folder before a run, or marks the run skipped
// when the archives could not be had.

#include "BenchFolder.h"
#include "TestHttpServer.h"

#include <benchmark/benchmark.h>

namespace benchdownload {

class CServedFolder {
public:
    explicit CServedFolder(const char* pszPrefix) : m_folder(pszPrefix) {}

    bool Enter(benchmark::State& state) const
    {
        if (!m_bReady) {
            state.SkipWithError("the shared archives are not there");
            return false;
        }
        m_folder.Enter();
        return true;
    }

protected:
    benchfolder::CBenchFolder m_folder;
    testsupport::CTestHttpServer m_server;
    bool m_bReady = false;
};

} // namespace benchdownload
