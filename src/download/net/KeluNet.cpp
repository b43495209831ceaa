// libkelu_net.so: the downloads with libcurl, loaded by the program at its first download
// (download/NetLibrary.h).

#include "download/NetLibrary.h"

#include <curl/curl.h>

extern "C" __attribute__((visibility("default"))) const CKeluNet* KeluNetEntry()
{
    static const CKeluNet s_net = [] {
        // Once, before any transfer, on the thread that loads the library.
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return CKeluNet{&DownloadFromServer, &ProbeServer, &DownloadPeriod};
    }();
    return &s_net;
}
