#include "dialogs/cabout.h"
#include "ui_cabout.h"

#include "core/appinfo.h"

namespace {
// the address the form was drawn with
const char kFormWebAddress[] = "http://www.mirelda-loggers.example";
}

const char CAbout::kWebAddress[] = "https://www.mirelda.example";

CAbout::CAbout(QWidget *)
    : QDialog(nullptr), ui(new Ui::CAbout)
{
    ui->setupUi(this);
    setWindowFlags(AppInfo::dialogWindowFlags());
    setWindowTitle(tr("About... %1 %2").arg(AppInfo::productTitle(), AppInfo::version()));
    setText();
}

CAbout::~CAbout()
{
    delete ui;
}

void CAbout::setText()
{
    ui->m_labelName->setText(AppInfo::productTitle());
    ui->m_labelVersion->setText(tr("Version:%1 %2 - QLib:%3")
                                    .arg(AppInfo::version(), AppInfo::buildDate(),
                                         QString::fromLatin1(qVersion())));
    ui->m_frameLogo->setStyleSheet(QStringLiteral("image: url(:/Pictures/NorvelLogoButton.png);"));
    // link target and link text change together
    QString credits = ui->m_textBrowser->toHtml();
    credits.replace(QLatin1String(kFormWebAddress), QLatin1String(kWebAddress));
    ui->m_textBrowser->setHtml(credits);
}
