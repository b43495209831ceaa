// libcurl's entry points that load libcurl at the first transfer: every kind of argument the
// variadic ones pass on (a long, a curl_off_t, a pointer, a function pointer, an out pointer)
// reaches libcurl intact. A local file stands in for the server.

#include <curl/curl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

size_t Collect(char* pData, size_t nSize, size_t nCount, void* pUser)
{
    static_cast<std::string*>(pUser)->append(pData, nSize * nCount);
    return nSize * nCount;
}

std::string FileUrl(const char* pszName)
{
    return "file://" + (std::filesystem::current_path() / pszName).string();
}

} // namespace

TEST(LazyCurlTest, ATransferThroughTheEntryPointsGetsEveryArgumentThrough)
{
    const std::string strBody(3000, 'k');
    std::ofstream("day.lzh", std::ios::binary) << strBody;

    CURL* pCurl = curl_easy_init();
    ASSERT_NE(pCurl, nullptr);
    std::string strReceived;
    const std::string strUrl = FileUrl("day.lzh");
    EXPECT_EQ(curl_easy_setopt(pCurl, CURLOPT_URL, strUrl.c_str()), CURLE_OK);
    EXPECT_EQ(curl_easy_setopt(pCurl, CURLOPT_WRITEFUNCTION, Collect), CURLE_OK);
    EXPECT_EQ(curl_easy_setopt(pCurl, CURLOPT_WRITEDATA, &strReceived), CURLE_OK);
    EXPECT_EQ(curl_easy_setopt(pCurl, CURLOPT_NOSIGNAL, 1L), CURLE_OK);
    // A range asked for as a curl_off_t: only what follows the first 1000 bytes comes.
    EXPECT_EQ(curl_easy_setopt(pCurl, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(1000)), CURLE_OK);
    ASSERT_EQ(curl_easy_perform(pCurl), CURLE_OK);
    EXPECT_EQ(strReceived, strBody.substr(1000));
    curl_off_t nSize = 0;
    EXPECT_EQ(curl_easy_getinfo(pCurl, CURLINFO_SIZE_DOWNLOAD_T, &nSize), CURLE_OK);
    EXPECT_EQ(nSize, 2000);
    // An option libcurl refuses is refused through them too.
    EXPECT_EQ(curl_easy_setopt(pCurl, static_cast<CURLoption>(99999), 0L), CURLE_UNKNOWN_OPTION);
    curl_easy_cleanup(pCurl);

    // A missing file fails as libcurl says, not as a crash.
    pCurl = curl_easy_init();
    ASSERT_NE(pCurl, nullptr);
    const std::string strMissing = FileUrl("missing.lzh");
    curl_easy_setopt(pCurl, CURLOPT_URL, strMissing.c_str());
    EXPECT_EQ(curl_easy_perform(pCurl), CURLE_FILE_COULDNT_READ_FILE);
    curl_easy_cleanup(pCurl);
}
