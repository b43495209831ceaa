#pragma once
// A file or folder that cannot be written while the object lives, even for root, who passes
// over the rights of a file: the file system's immutable flag then, which root may set on
// ext4 and tmpfs; the rights otherwise. IsOn() tells whether it worked.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace testsupport {

class CUnwritable {
public:
    explicit CUnwritable(std::string strPath) : m_strPath(std::move(strPath))
    {
        struct stat st {};
        if (stat(m_strPath.c_str(), &st) != 0)
            return;
        m_mode = st.st_mode & 07777;
        if (geteuid() == 0) {
            m_bOn = SetImmutable(true);
            m_bFlag = m_bOn;
        } else {
            m_bOn = chmod(m_strPath.c_str(), S_ISDIR(st.st_mode) ? 0555 : 0444) == 0;
        }
    }
    ~CUnwritable()
    {
        if (m_bFlag)
            SetImmutable(false);
        else if (m_bOn)
            chmod(m_strPath.c_str(), m_mode);
    }
    CUnwritable(const CUnwritable&) = delete;
    CUnwritable& operator=(const CUnwritable&) = delete;

    bool IsOn() const { return m_bOn; }
    static constexpr const char* kMissing = "the file system lets nothing be made unwritable here";

private:
    bool SetImmutable(bool bOn) const
    {
        const int fd = open(m_strPath.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        int flags = 0;
        bool bOk = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = bOn ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        bOk = bOk && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        close(fd);
        return bOk;
    }

    std::string m_strPath;
    mode_t m_mode = 0644;
    bool m_bOn = false;
    bool m_bFlag = false;
};

} // namespace testsupport
