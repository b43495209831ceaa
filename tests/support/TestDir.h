#pragma once

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// Before each test: a fresh empty directory becomes the working directory. After it: the old
// working directory comes back and the temporary one is removed.
class CTempDirListener : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override;
    void OnTestEnd(const ::testing::TestInfo&) override;

private:
    std::string m_strOld;
    std::string m_strTemp;
};

// The folder of the real published day files, or "" when it is not there: ../shared/data
// beside the project, or the folder the environment variable KELU_SHARED_DATA names.
std::string SharedDataDir();
// Why a test of the real days skips: where it looked for them. Every such test skips with
// this text.
std::string NoSharedDataReason();
// Copies a real day file into the working directory's data folders; false when absent.
bool CopySharedDayFile(const std::string& name, const std::string& destination);

} // namespace testsupport
