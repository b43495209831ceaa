// The baseline of the start-up measurements: a main window of Kelu's size with one Japanese
// label in the Gothic face, started as Kelu starts (the application, the font stand-ins, the
// Japanese translations), which leaves when its first paint is done.

#include "FirstPaint.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/Japanese.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    InstallFontSubstitutions();
    InstallJapanese();

    QMainWindow window;
    auto* pLabel = new QLabel(Utf8("住之江 第1レース"), &window);
    pLabel->setFont(KeluFont(kFaceGothic, 9));
    window.setCentralWidget(pLabel);
    window.setFixedSize(690, 470);
    WatchFirstPaint(&window, Done);
    window.showNormal();
    return qapp.exec();
}
