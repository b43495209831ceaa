#include "view/HelpWindow.h"

#include "platform/gui/QtText.h"

#include <QFileInfo>
#include <QUrl>

namespace {

constexpr QSize kHelpSize(640, 560);

} // namespace

CHelpWindow::CHelpWindow(const QString& strPath)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Utf8("kelu ﾍﾙﾌﾟ"));
    setAccessibleName(windowTitle());
    resize(kHelpSize);
    // Pages of the help folder open here; addresses elsewhere go to whatever the desktop has.
    setOpenExternalLinks(true);
    const QFileInfo page(strPath);
    if (page.isFile())
        setSource(QUrl::fromLocalFile(page.absoluteFilePath()));
    else
        setPlainText(Utf8("ﾍﾙﾌﾟのﾌｧｲﾙ %1 が見つかりません。").arg(page.absoluteFilePath()));
}
