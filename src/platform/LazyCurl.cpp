// libcurl, loaded when the first transfer starts. Linked at build time it was loaded with the
// program, and with it the TLS, Kerberos, LDAP and SSH libraries it needs, at every start:
// a fifth of the start-up's work and some 5 MB of memory, for downloads that most runs never
// make. These are the entry points Kelu calls; each finds its libcurl counterpart on first
// use. Should libcurl be missing, they fail as libcurl reports a failure: no handle, or
// CURLE_FAILED_INIT.

// The type-checking macros of curl.h would stand in for the functions defined here.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#include <atomic>
#include <cstdarg>

#include <dlfcn.h>

namespace {

std::atomic<bool> g_bLoaded{false};

void* Library()
{
    static void* const pHandle = [] {
        for (const char* pszName : {"libcurl.so.4", "libcurl-gnutls.so.4"})
            if (void* p = dlopen(pszName, RTLD_NOW | RTLD_LOCAL)) {
                g_bLoaded = true;
                return p;
            }
        return static_cast<void*>(nullptr);
    }();
    return pHandle;
}

template <class Fn>
Fn Resolve(const char* pszName)
{
    void* pHandle = Library();
    return pHandle ? reinterpret_cast<Fn>(dlsym(pHandle, pszName)) : nullptr;
}

// The one argument after the option of curl_easy_setopt and curl_easy_getinfo: a long, a
// curl_off_t, a pointer or a function pointer, all passed alike on the 64-bit ABIs.
using Arg = void*;
static_assert(sizeof(Arg) == sizeof(long) && sizeof(Arg) == sizeof(curl_off_t));

} // namespace

extern "C" {

CURLcode curl_global_init(long flags)
{
    static const auto pfn = Resolve<CURLcode (*)(long)>("curl_global_init");
    return pfn ? pfn(flags) : CURLE_FAILED_INIT;
}

void curl_global_cleanup(void)
{
    // Nothing to clean up in a run that never transferred: libcurl is not loaded for it.
    if (!g_bLoaded)
        return;
    static const auto pfn = Resolve<void (*)()>("curl_global_cleanup");
    if (pfn)
        pfn();
}

CURL* curl_easy_init(void)
{
    static const auto pfn = Resolve<CURL* (*)()>("curl_easy_init");
    return pfn ? pfn() : nullptr;
}

CURLcode curl_easy_setopt(CURL* curl, CURLoption option, ...)
{
    static const auto pfn = Resolve<CURLcode (*)(CURL*, CURLoption, ...)>("curl_easy_setopt");
    va_list args;
    va_start(args, option);
    const Arg arg = va_arg(args, Arg);
    va_end(args);
    return pfn ? pfn(curl, option, arg) : CURLE_FAILED_INIT;
}

CURLcode curl_easy_perform(CURL* curl)
{
    static const auto pfn = Resolve<CURLcode (*)(CURL*)>("curl_easy_perform");
    return pfn ? pfn(curl) : CURLE_FAILED_INIT;
}

CURLcode curl_easy_getinfo(CURL* curl, CURLINFO info, ...)
{
    static const auto pfn = Resolve<CURLcode (*)(CURL*, CURLINFO, ...)>("curl_easy_getinfo");
    va_list args;
    va_start(args, info);
    const Arg arg = va_arg(args, Arg);
    va_end(args);
    return pfn ? pfn(curl, info, arg) : CURLE_FAILED_INIT;
}

void curl_easy_cleanup(CURL* curl)
{
    static const auto pfn = Resolve<void (*)(CURL*)>("curl_easy_cleanup");
    if (pfn)
        pfn(curl);
}

} // extern "C"
