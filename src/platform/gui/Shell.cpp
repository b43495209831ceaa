#include "platform/gui/Shell.h"

#include "platform/TextFile.h"
#include "platform/gui/QtText.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
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

bool ShellOpen(const CString& strTarget, std::function<void()> onFailed)
{
    if (Hook()) {
        Hook()(strTarget);
        return true;
    }
    const QString target = ToQString(strTarget);
    const QUrl url = IsAddress(target) ? QUrl(target)
                                       : QUrl::fromLocalFile(QDir::current().absoluteFilePath(ToQString(DiskPath(strTarget))));
    const QString strOpener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (strOpener.isEmpty())
        return QDesktopServices::openUrl(url);
    // xdg-open says within a moment whether it found a program for the target; when it did,
    // that program may keep it running for as long as it is open. So it runs in the background
    // of a shell that reports its failure if it comes quickly and otherwise lets it be.
    static const QString kWatch = QStringLiteral(
        "\"$0\" \"$1\" & p=$!; n=0; "
        "while kill -0 $p 2>/dev/null; do n=$((n+1)); [ $n -gt 50 ] && exit 0; sleep 0.1; done; "
        "wait $p");
    auto* pProcess = new QProcess(QCoreApplication::instance());
    pProcess->setProgram(QStringLiteral("/bin/sh"));
    pProcess->setArguments({QStringLiteral("-c"), kWatch, strOpener, url.toString(QUrl::FullyEncoded)});
    pProcess->setStandardOutputFile(QProcess::nullDevice());
    pProcess->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(pProcess, &QProcess::finished, pProcess,
                     [pProcess, onFailed](int nExitCode, QProcess::ExitStatus status) {
                         if ((nExitCode != 0 || status != QProcess::NormalExit) && onFailed)
                             onFailed();
                         pProcess->deleteLater();
                     });
    QObject::connect(pProcess, &QProcess::errorOccurred, pProcess, [pProcess, onFailed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        if (onFailed)
            onFailed();
        pProcess->deleteLater();
    });
    pProcess->start();
    return true;
}
