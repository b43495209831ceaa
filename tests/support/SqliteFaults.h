#pragma once
// SQLite's own failure paths for the store's tests, without a hook in the product: a file
// system of SQLite's (a VFS) laid over the real one and made the default while the object
// lives, so that every connection the program opens meanwhile goes through it. Its writes to
// the store's files can fail as a full disk or a failing disk does, wait until the test lets
// them go (a writer caught in the middle of a day), or end the process (a power cut).

#include <sqlite3.h>

#include <functional>

namespace testsupport {

class CSqliteFaults {
public:
    enum class EAction {
        None,
        Fail,  // the write returns the error code given (SQLITE_FULL, SQLITE_IOERR_WRITE)
        Pause, // the write waits for Release (at most 20 seconds), then goes on
        Exit,  // the process ends at once, as at a power cut, before the write
    };

    // One at a time in a process; connections opened before it are not watched.
    CSqliteFaults();
    ~CSqliteFaults();
    CSqliteFaults(const CSqliteFaults&) = delete;
    CSqliteFaults& operator=(const CSqliteFaults&) = delete;

    // From the next write on, after nWritesLeft writes that go through, every write to a
    // database or its write-ahead log does what is asked. onFault, when given, runs on the
    // writer's thread at the first write caught, before the action.
    void Arm(EAction action, int nWritesLeft = 0, int nErrorCode = SQLITE_FULL, std::function<void()> onFault = {});
    // Writes go through again; a paused write goes on.
    void Disarm();
    // Whether a write has been caught since Arm; with Pause, that the writer waits now.
    bool HasCaught() const;
    // Lets a paused write go on; later writes pause again until Disarm.
    void Release();
};

} // namespace testsupport
