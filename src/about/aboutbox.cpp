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

QString descriptionText()
{
    QFile file(QStringLiteral(":/about/description.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

QWidget* separatorLine(QWidget* parent, const QString& name, const QColor& colour, int top)
{
    auto* line = new QWidget(parent);
    line->setObjectName(name);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setGeometry(0, top, parent->width(), 1);
    return line;
}

}

// Without a parent: a parent that is disabled would disable this window with it.
AboutBox::AboutBox(QWidget* mainWindow)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_lock(mainWindow)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    setModal(false);
    setFixedSize(Twips::size(5730, 2820));
    setWindowTitle(tr("About %1").arg(Vellumark::applicationTitle()));
    setWindowIcon(Vellumark::applicationIcon());
    layoutControls();

    // The program ends with its main window; the box must not outlive it.
    if (QWidget* main = m_lock.mainWindow())
        connect(main, &QObject::destroyed, this, &QWidget::close);
    centreOnScreen(this);
}

AboutBox::~AboutBox() = default;

void AboutBox::layoutControls()
{
    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(Twips::rect(240, 240, 540, 540));
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(Vellumark::applicationIcon().pixmap(QSize(32, 32), devicePixelRatioF()));

    auto* lblTitle = new QLabel(Vellumark::applicationTitle(), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(Twips::rect(1050, 240, 3885, 480));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    auto* lblVersion = new QLabel(Vellumark::programVersionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(Twips::rect(1050, 780, 3885, 225));

    auto* lblDescription = new QLabel(descriptionText(), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setGeometry(Twips::rect(1050, 1125, 3885, 450));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // An etched rule: a grey line with a white one just below it.
    const int ruleTop = Twips::toPixels(2040);
    separatorLine(this, QStringLiteral("linShadow"), QColor(128, 128, 128), ruleTop);
    separatorLine(this, QStringLiteral("linHighlight"), Qt::white, ruleTop + 1);

    auto* cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::rect(2160, 2280, 1260, 345));
    cmdOK->setDefault(true);
    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
}

AboutBox* showAbout(QWidget* mainWindow)
{
    auto* box = new AboutBox(mainWindow);
    box->show();
    box->raise();
    box->activateWindow();
    return box;
}
