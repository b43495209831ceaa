#include "platform/gui/DialogTemplate.h"

#include "platform/gui/Fonts.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>

namespace {

int MulDiv(int n, int num, int den)
{
    return static_cast<int>((static_cast<long long>(n) * num + den / 2) / den);
}

QWidget* MakeControl(const CDlgItem& item, QWidget* pParent, const DlgItemFactory& factory)
{
    const QString text = Utf8(item.pszText);
    switch (item.kind) {
    case DlgKind::Static: {
        auto* p = new QLabel(text, pParent);
        // Statics show day-file text too (the title lines): never as markup.
        p->setTextFormat(Qt::PlainText);
        p->setAlignment(Qt::AlignLeft | ((item.nStyle & DS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop));
        if (item.nStyle & DS_BORDER)
            p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return p;
    }
    case DlgKind::Button:
    case DlgKind::DefButton: {
        auto* p = new QPushButton(text, pParent);
        p->setAutoDefault(false);
        p->setDefault(item.kind == DlgKind::DefButton);
        return p;
    }
    case DlgKind::Edit:
    case DlgKind::NumberEdit: {
        auto* p = new QLineEdit(text, pParent);
        if (item.kind == DlgKind::NumberEdit)
            p->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), p));
        return p;
    }
    case DlgKind::MultiEdit: {
        auto* p = new QPlainTextEdit(text, pParent);
        p->setReadOnly(true);
        p->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        return p;
    }
    case DlgKind::DropList: {
        // A list whose items belong to the layout carries them in its text, one a line.
        auto* p = new QComboBox(pParent);
        if (!text.isEmpty())
            p->addItems(text.split(QLatin1Char('\n')));
        return p;
    }
    case DlgKind::DatePicker: {
        auto* p = new QDateEdit(pParent);
        p->setCalendarPopup(true);
        p->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        return p;
    }
    case DlgKind::Icon: {
        auto* p = new QLabel(pParent);
        const QIcon icon = QApplication::windowIcon();
        p->setPixmap(icon.pixmap(32, 32));
        return p;
    }
    case DlgKind::EtchedLine: {
        auto* p = new QFrame(pParent);
        p->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        return p;
    }
    case DlgKind::ListView:
        return new QListWidget(pParent);
    case DlgKind::Custom:
        return factory ? factory(item, pParent) : nullptr;
    }
    return nullptr;
}

} // namespace

CDialogUnits::CDialogUnits(const QFont& font)
{
    // The average width of the Latin alphabet, rounded as Windows rounds it.
    const QFontMetrics fm(font);
    const int nWidth = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = std::max(1, (nWidth / 26 + 1) / 2);
    m_nBaseY = std::max(1, fm.height());
}

int CDialogUnits::ToPixelsX(int x) const
{
    return MulDiv(x, m_nBaseX, 4);
}

int CDialogUnits::ToPixelsY(int y) const
{
    return MulDiv(y, m_nBaseY, 8);
}

QRect CDialogUnits::ToPixels(int x, int y, int cx, int cy) const
{
    return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(cx), ToPixelsY(cy));
}

QFont DialogFont(const CDialogTemplate& tmpl)
{
    return KeluFont(tmpl.pszFace, tmpl.nPointSize);
}

std::map<int, QWidget*> BuildDialogItems(QWidget* pHost, const CDialogTemplate& tmpl, const DlgItemFactory& factory)
{
    const QFont font = DialogFont(tmpl);
    pHost->setFont(font);
    const CDialogUnits units(font);
    std::map<int, QWidget*> controls;
    QWidget* pPrevious = nullptr;
    for (const CDlgItem& item : tmpl.items) {
        QWidget* pControl = MakeControl(item, pHost, factory);
        if (!pControl)
            continue;
        QRect rect = units.ToPixels(item.x, item.y, item.cx, item.cy);
        // A drop-down list's template height includes its open list; the closed box is one line.
        if (item.kind == DlgKind::DropList)
            rect.setHeight(pControl->sizeHint().height());
        pControl->setGeometry(rect);
        pControl->setObjectName(QString::number(item.nID));
        if (pPrevious && pControl->focusPolicy() != Qt::NoFocus)
            QWidget::setTabOrder(pPrevious, pControl);
        if (pControl->focusPolicy() != Qt::NoFocus)
            pPrevious = pControl;
        if (item.nID >= 0)
            controls[item.nID] = pControl;
    }
    return controls;
}
