#include "aboutbox.h"

#include "appicon.h"
#include "apptitle.h"
#include "twips.h"
#include "versiontext.h"
#include "windowplacement.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>

namespace {

// The text leaves a place for how deep the walk goes, which the user may choose.
QString descriptionText(const QString& reach)
{
    QFile file(QStringLiteral(":/about/description.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed().arg(reach);
}

QWidget* separatorLine(QWidget* parent, const QString& name, const QColor& colour)
{
    auto* line = new QWidget(parent);
    line->setObjectName(name);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

// The designed place of a label, grown to what its text needs in the font it is given and pushed below the
// control above it.
int placeBelow(QLabel* label, QRect designed, int aboveBottom)
{
    designed.moveTop(std::max(designed.top(), aboveBottom));
    designed.setWidth(std::max(designed.width(), label->wordWrap() ? 0 : label->sizeHint().width()));
    const int needed = label->wordWrap() ? label->heightForWidth(designed.width()) : label->sizeHint().height();
    designed.setHeight(std::max(designed.height(), needed));
    label->setGeometry(designed);
    return designed.bottom() + 1;
}

}

// Without a parent: a parent that is disabled would disable this window with it.
AboutBox::AboutBox(QWidget* mainWindow, const QString& reach)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_lock(mainWindow)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    setModal(false);
    setWindowTitle(tr("About %1").arg(Vellumark::applicationTitle()));
    setWindowIcon(Vellumark::applicationIcon());
    layoutControls(reach);

    // The program ends with its main window; the box must not outlive it.
    if (QWidget* main = m_lock.mainWindow())
        connect(main, &QObject::destroyed, this, &QWidget::close);
    centreOnScreen(this);
}

AboutBox::~AboutBox() = default;

void AboutBox::layoutControls(const QString& reach)
{
    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(Twips::rect(240, 240, 540, 540));
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(Vellumark::applicationIcon().pixmap(QSize(32, 32), devicePixelRatioF()));

    auto* lblTitle = new QLabel(Vellumark::applicationTitle(), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    auto* lblVersion = new QLabel(Vellumark::programVersionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* lblDescription = new QLabel(descriptionText(reach), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The designed places, each grown to its text: another font, or a larger one, never cuts a line.
    int bottom = placeBelow(lblTitle, Twips::rect(1050, 240, 3885, 480), 0);
    bottom = placeBelow(lblVersion, Twips::rect(1050, 780, 3885, 225), bottom);
    bottom = placeBelow(lblDescription, Twips::rect(1050, 1125, 3885, 450), bottom + Twips::toPixels(60));
    const int width = std::max(Twips::toPixels(5730), lblTitle->geometry().right() + Twips::toPixels(795));

    // An etched rule: a grey line with a white one just below it.
    const int ruleTop = std::max(Twips::toPixels(2040), bottom + Twips::toPixels(240));
    separatorLine(this, QStringLiteral("linShadow"), QColor(128, 128, 128))->setGeometry(0, ruleTop, width, 1);
    separatorLine(this, QStringLiteral("linHighlight"), Qt::white)->setGeometry(0, ruleTop + 1, width, 1);

    auto* cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    const QSize okSize = Twips::size(1260, 345).expandedTo(cmdOK->sizeHint());
    cmdOK->setGeometry((width - okSize.width()) / 2, ruleTop + Twips::toPixels(240), okSize.width(), okSize.height());
    cmdOK->setDefault(true);
    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    setFixedSize(width, cmdOK->geometry().bottom() + 1 + Twips::toPixels(195));
}

AboutBox* showAbout(QWidget* mainWindow, const QString& reach)
{
    auto* box = new AboutBox(mainWindow, reach);
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}
