#include "platform/gui/Shell.h"

#include "platform/TextFile.h"
#include "platform/gui/QtText.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace {

ShellOpenHook& Hook()
{
    static ShellOpenHook hook;
    return hook;
}

bool IsAddress(const QString& s)
{
    return s.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
           s.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

} // namespace

ShellOpenHook SetShellOpenHook(ShellOpenHook hook)
{
    ShellOpenHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

bool ShellOpen(const CString& strTarget)
{
    if (Hook()) {
        Hook()(strTarget);
        return true;
    }
    const QString target = ToQString(strTarget);
    const QUrl url = IsAddress(target) ? QUrl(target)
                                       : QUrl::fromLocalFile(QDir::current().absoluteFilePath(ToQString(DiskPath(strTarget))));
    return QDesktopServices::openUrl(url);
}
