#include "SqliteFaults.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace testsupport {

namespace {

struct CState {
    std::mutex mutex;
    std::condition_variable released;
    CSqliteFaults::EAction action = CSqliteFaults::EAction::None;
    int nWritesLeft = 0;
    int nErrorCode = SQLITE_FULL;
    std::function<void()> onFault;
    bool bCaught = false;
    bool bPaused = false;
    unsigned nRelease = 0;
};

CState& State()
{
    static CState state;
    return state;
}

sqlite3_vfs* g_pReal = nullptr;
sqlite3_vfs g_vfs{};

// A file of ours: the methods, then the real file right after.
struct CFile {
    sqlite3_file base;
    sqlite3_file* pReal;
    bool bStoreFile; // the database or its log, whose writes are watched
};

sqlite3_file* Real(sqlite3_file* pFile)
{
    return reinterpret_cast<CFile*>(pFile)->pReal;
}

// What a write to a watched file does now; SQLITE_OK to go on with it.
int BeforeWrite()
{
    std::function<void()> onFault;
    CSqliteFaults::EAction action;
    int nErrorCode;
    {
        std::unique_lock lock(State().mutex);
        CState& s = State();
        if (s.action == CSqliteFaults::EAction::None)
            return SQLITE_OK;
        if (s.nWritesLeft > 0) {
            --s.nWritesLeft;
            return SQLITE_OK;
        }
        if (!s.bCaught)
            onFault = std::move(s.onFault);
        s.bCaught = true;
        action = s.action;
        nErrorCode = s.nErrorCode;
    }
    if (onFault)
        onFault();
    switch (action) {
    case CSqliteFaults::EAction::Fail:
        return nErrorCode;
    case CSqliteFaults::EAction::Exit:
        _exit(0);
    case CSqliteFaults::EAction::Pause: {
        std::unique_lock lock(State().mutex);
        CState& s = State();
        const unsigned nRelease = s.nRelease;
        s.bPaused = true;
        s.released.wait_for(lock, std::chrono::seconds(20), [&] {
            return s.nRelease != nRelease || s.action != CSqliteFaults::EAction::Pause;
        });
        s.bPaused = false;
        return SQLITE_OK;
    }
    case CSqliteFaults::EAction::None:
        break;
    }
    return SQLITE_OK;
}

int Close(sqlite3_file* pFile)
{
    return Real(pFile)->pMethods->xClose(Real(pFile));
}
int Read(sqlite3_file* pFile, void* pBuf, int n, sqlite3_int64 nOffset)
{
    return Real(pFile)->pMethods->xRead(Real(pFile), pBuf, n, nOffset);
}
int Write(sqlite3_file* pFile, const void* pBuf, int n, sqlite3_int64 nOffset)
{
    if (reinterpret_cast<CFile*>(pFile)->bStoreFile)
        if (const int rc = BeforeWrite(); rc != SQLITE_OK)
            return rc;
    return Real(pFile)->pMethods->xWrite(Real(pFile), pBuf, n, nOffset);
}
int Truncate(sqlite3_file* pFile, sqlite3_int64 nSize)
{
    return Real(pFile)->pMethods->xTruncate(Real(pFile), nSize);
}
int Sync(sqlite3_file* pFile, int flags)
{
    return Real(pFile)->pMethods->xSync(Real(pFile), flags);
}
int FileSize(sqlite3_file* pFile, sqlite3_int64* pSize)
{
    return Real(pFile)->pMethods->xFileSize(Real(pFile), pSize);
}
int Lock(sqlite3_file* pFile, int n)
{
    return Real(pFile)->pMethods->xLock(Real(pFile), n);
}
int Unlock(sqlite3_file* pFile, int n)
{
    return Real(pFile)->pMethods->xUnlock(Real(pFile), n);
}
int CheckReservedLock(sqlite3_file* pFile, int* pResOut)
{
    return Real(pFile)->pMethods->xCheckReservedLock(Real(pFile), pResOut);
}
int FileControl(sqlite3_file* pFile, int op, void* pArg)
{
    return Real(pFile)->pMethods->xFileControl(Real(pFile), op, pArg);
}
int SectorSize(sqlite3_file* pFile)
{
    return Real(pFile)->pMethods->xSectorSize(Real(pFile));
}
int DeviceCharacteristics(sqlite3_file* pFile)
{
    return Real(pFile)->pMethods->xDeviceCharacteristics(Real(pFile));
}
int ShmMap(sqlite3_file* pFile, int iPg, int pgsz, int bExtend, void volatile** pp)
{
    return Real(pFile)->pMethods->xShmMap(Real(pFile), iPg, pgsz, bExtend, pp);
}
int ShmLock(sqlite3_file* pFile, int offset, int n, int flags)
{
    return Real(pFile)->pMethods->xShmLock(Real(pFile), offset, n, flags);
}
void ShmBarrier(sqlite3_file* pFile)
{
    Real(pFile)->pMethods->xShmBarrier(Real(pFile));
}
int ShmUnmap(sqlite3_file* pFile, int deleteFlag)
{
    return Real(pFile)->pMethods->xShmUnmap(Real(pFile), deleteFlag);
}
int Fetch(sqlite3_file* pFile, sqlite3_int64 iOfst, int iAmt, void** pp)
{
    return Real(pFile)->pMethods->xFetch(Real(pFile), iOfst, iAmt, pp);
}
int Unfetch(sqlite3_file* pFile, sqlite3_int64 iOfst, void* p)
{
    return Real(pFile)->pMethods->xUnfetch(Real(pFile), iOfst, p);
}

const sqlite3_io_methods kMethods = {3,         &Close,  &Read,   &Write,    &Truncate, &Sync,
                                     &FileSize, &Lock,   &Unlock, &CheckReservedLock,   &FileControl,
                                     &SectorSize, &DeviceCharacteristics, &ShmMap, &ShmLock, &ShmBarrier,
                                     &ShmUnmap, &Fetch,  &Unfetch};

int Open(sqlite3_vfs*, const char* pszName, sqlite3_file* pFile, int flags, int* pOutFlags)
{
    auto* p = reinterpret_cast<CFile*>(pFile);
    p->base.pMethods = nullptr;
    p->pReal = reinterpret_cast<sqlite3_file*>(p + 1);
    p->bStoreFile = (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL)) != 0;
    const int rc = g_pReal->xOpen(g_pReal, pszName, p->pReal, flags, pOutFlags);
    if (!p->pReal->pMethods)
        return rc;
    // The real file system's files have every method of version 3.
    if (p->pReal->pMethods->iVersion < 3) {
        p->pReal->pMethods->xClose(p->pReal);
        return SQLITE_CANTOPEN;
    }
    p->base.pMethods = &kMethods;
    return rc;
}

} // namespace

CSqliteFaults::CSqliteFaults()
{
    g_pReal = sqlite3_vfs_find(nullptr);
    g_vfs = *g_pReal;
    g_vfs.zName = "kelu-test-faults";
    g_vfs.szOsFile = static_cast<int>(sizeof(CFile)) + g_pReal->szOsFile;
    g_vfs.xOpen = &Open;
    g_vfs.pNext = nullptr;
    sqlite3_vfs_register(&g_vfs, 1);
}

CSqliteFaults::~CSqliteFaults()
{
    Disarm();
    sqlite3_vfs_unregister(&g_vfs);
    sqlite3_vfs_register(g_pReal, 1);
}

void CSqliteFaults::Arm(EAction action, int nWritesLeft, int nErrorCode, std::function<void()> onFault)
{
    const std::lock_guard lock(State().mutex);
    CState& s = State();
    s.action = action;
    s.nWritesLeft = nWritesLeft;
    s.nErrorCode = nErrorCode;
    s.onFault = std::move(onFault);
    s.bCaught = false;
}

void CSqliteFaults::Disarm()
{
    {
        const std::lock_guard lock(State().mutex);
        State().action = EAction::None;
        State().onFault = nullptr;
    }
    State().released.notify_all();
}

bool CSqliteFaults::HasCaught() const
{
    const std::lock_guard lock(State().mutex);
    return State().action == EAction::Pause ? State().bPaused : State().bCaught;
}

void CSqliteFaults::Release()
{
    {
        const std::lock_guard lock(State().mutex);
        ++State().nRelease;
    }
    State().released.notify_all();
}

} // namespace testsupport
