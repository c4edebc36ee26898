#include "dialogs/coption.h"
#include "ui_coption.h"

#include <QDir>
#include <QTimer>

#include "app/mainwindow.h"
#include "core/appinfo.h"
#include "core/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/labelid.h"
#include "dialogs/cprompt.h"
#include "dialogs/textfit.h"
#include "files/cfilemanager.h"
#include "mail/outgoingmail.h"
#include "mail/smtpexchange.h"

namespace {

// Label-table columns of the six language boxes (column 4 has no box).
enum Language { English = 0, French = 1, Spanish = 2, Italian = 3, German = 5, Portuguese = 6 };

const char kTestSubject[] = "Quorvane Report";
const char kTestBody[] = "Hi,\nThis is a test email message from Quorvane.\n";

const QString kWarningStyle = QStringLiteral("color:rgb(170,0,0);");

void setLabelText(QWidget *widget, const QString &text)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(widget))
        group->setTitle(text);
}

bool isChecked(const QCheckBox *box)
{
    return box->checkState() != Qt::Unchecked;
}

QString energyText(double energy)
{
    return QString::number(energy, 'f', 3);
}

}

COption::COption(MainWindow *mainWindow)
    : QDialog(nullptr), m_mainWindow(mainWindow), m_ui(new Ui_COption)
{
    m_ui->setupUi(this);
    setWindowFlags(AppInfo::dialogWindowFlags());
    m_updating = false;
    m_smtpTestPending = false;

    m_settings = m_mainWindow->app->settings;
    m_settingsAtOpen = m_mainWindow->app->settings;

    m_ui->m_tabWidgetOption->setCurrentWidget(m_ui->m_tabGeneral);
    fillDateFormats();
    showFieldsOkTakes();
    // the clock shows the fields it is given, whatever the zone
    m_ui->m_dateTimeEditGeneralCurrentTime->setTimeSpec(Qt::UTC);
    // selecting the language fills and labels every widget, once
    selectLanguage(m_mainWindow->app->languageTable->language);
    chooseFirstPage();
    fillTimeZones();
    TextFit::fitTexts(this);

    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &COption::Timer1Sec);
    m_timer->start(1000);
    showClock();

    m_ui->m_tabWidgetOption->removeTab(m_ui->m_tabWidgetOption->indexOf(m_ui->m_tabUploadEmail));
}

COption::~COption()
{
    delete m_ui;
}

void COption::fillDateFormats()
{
    m_updating = true;
    m_ui->m_comboBoxGeneralDateFormat->clear();
    m_ui->m_comboBoxGeneralDateFormat->addItem(QStringLiteral("dd/mm/yyyy"));
    m_ui->m_comboBoxGeneralDateFormat->addItem(QStringLiteral("mm/dd/yyyy"));
    m_updating = false;
}

void COption::chooseFirstPage()
{
    if (m_mainWindow->app->languageTable->firstInitLanguage != 0) {
        m_ui->m_tabWidgetOption->setCurrentWidget(m_ui->m_tabLanguages);
    } else if (m_settings.defaultPath.isEmpty()) {
        // a proposal like a typed path: OK tries it before it is taken
        m_ui->m_lineEditGeneralDefaultPath->setText(QDir::homePath());
        m_ui->m_tabWidgetOption->setCurrentWidget(m_ui->m_tabGeneral);
    }
}

void COption::fillTimeZones()
{
    m_updating = true;
    QComboBox *zones = m_ui->m_comboBoxGeneralTimeZone;
    zones->clear();
    zones->addItems(timeZoneRows());
    // a hand-edited index outside the list keeps "Local Time Zone" shown
    if (m_settings.timeZoneIndex > 0 && m_settings.timeZoneIndex < zones->count())
        zones->setCurrentIndex(m_settings.timeZoneIndex);
    m_ui->m_checkBoxGeneralDaylightTime->setChecked(m_settings.timeZoneDaylight != 0);
    m_updating = false;
}

// ---- OK, Cancel ---------------------------------------------------------

// The default path is where every save and export goes: one that cannot be
// created or written is refused here, while the user can still change it;
// so is a typed number that the settings could not hold. OK's work below
// asks the same question, whichever of the two runs first.
void COption::accept()
{
    const QString refusal = refusalOfTypedFields();
    if (!refusal.isEmpty()) {
        CPrompt::warning(this, refusal);
        return;
    }
    QDialog::accept();
}

void COption::on_m_buttonBox_accepted()
{
    if (!refusalOfTypedFields().isEmpty())
        return;
    takeTypedFields();
    CMainApp *app = m_mainWindow->app;
    app->settings = m_settings;
    app->languageTable->firstInitLanguage = 0;
    saveSettingsFile();
    m_mainWindow->viewsDirty = true;
}

// Empty when OK may take every field it alone reads; otherwise the warning,
// with the General tab shown and the field to correct focused (the e-mail
// fields are not shown, so only a value set in code can be refused there).
QString COption::refusalOfTypedFields()
{
    Ui_COption *f = m_ui;
    QLineEdit *field = nullptr;
    QString refusal;
    const QString folder = f->m_lineEditGeneralDefaultPath->text();
    QString reason;
    if (!folder.isEmpty() && !CFileManager::prepareDataFolder(folder, &reason)) {
        field = f->m_lineEditGeneralDefaultPath;
        refusal = tr("Warning!\n\nThe default path %1 cannot be used: %2.")
                      .arg(QDir::toNativeSeparators(folder), reason);
    } else if (!typedEnergy(nullptr)) {
        field = f->m_lineEditOptionGeneralMkt;
        refusal = tr("Warning!\n\nThe MKT activation energy \"%1\" is not a number from %2 to %3.")
                      .arg(field->text(), QString::number(AppSettings::kMinMktActivationEnergy),
                           QString::number(AppSettings::kMaxMktActivationEnergy));
    } else if (!typedPort(nullptr)) {
        field = f->m_lineEditOptionSmtpPort;
        refusal = tr("Warning!\n\nThe SMTP port \"%1\" is not a number from 1 to 65535.").arg(field->text());
    }
    if (field) {
        f->m_tabWidgetOption->setCurrentWidget(f->m_tabGeneral);
        field->setFocus();
    }
    return refusal;
}

// The field shows three decimals: an untouched field keeps the value
// exact. An energy outside the range would make every MKT undefined, or be
// dropped when the settings are read again.
bool COption::typedEnergy(double *energy) const
{
    const QString text = m_ui->m_lineEditOptionGeneralMkt->text().trimmed();
    double value = m_settings.mktActivationEnergy;
    bool usable = true;
    if (text != energyText(value)) {
        value = text.toDouble(&usable);
        usable = usable && AppSettings::isMktActivationEnergy(value);
    }
    if (usable && energy)
        *energy = value;
    return usable;
}

// An untouched field keeps the port it shows, whatever it is.
bool COption::typedPort(int *port) const
{
    const QString text = m_ui->m_lineEditOptionSmtpPort->text().trimmed();
    int value = m_settings.smtpServerPort;
    bool usable = true;
    if (text != QString::number(value)) {
        value = text.toInt(&usable, 10);
        usable = usable && value > 0 && value <= 65535;
    }
    if (usable && port)
        *port = value;
    return usable;
}

void COption::reject()
{
    restoreSettingsAtOpen();
    QDialog::reject();
}

// Undoes in memory what the View tab previewed; nothing else reached the
// core before OK, and the file was never written.
void COption::restoreSettingsAtOpen()
{
    copyViewSettings(m_settingsAtOpen, &m_mainWindow->app->settings);
    m_mainWindow->viewsDirty = true;
}

void COption::saveSettingsFile()
{
    CMainApp *app = m_mainWindow->app;
    QString reason;
    if (!app->fileManager->writeSettings(app->settingsFilePath(), &reason))
        warnSettingsNotWritten(reason);
}

// The View tab's colours and flags in the core are a preview until OK: the
// file keeps those it had when the dialog opened. The preview is back in
// the core before the warning's event loop redraws the views.
void COption::saveLanguageChoice()
{
    AppSettings &core = m_mainWindow->app->settings;
    AppSettings previewed;
    copyViewSettings(core, &previewed);
    copyViewSettings(m_settingsAtOpen, &core);
    QString reason;
    const bool written =
        m_mainWindow->app->fileManager->writeSettings(m_mainWindow->app->settingsFilePath(), &reason);
    copyViewSettings(previewed, &core);
    if (!written)
        warnSettingsNotWritten(reason);
}

void COption::warnSettingsNotWritten(const QString &reason)
{
    const QString path = m_mainWindow->app->settingsFilePath();
    CPrompt::warning(this, text(LabelId::FileNotWritableWarning) + QLatin1Char('\n')
                               + QDir::toNativeSeparators(path) + QStringLiteral("\n\n") + reason);
}

// Only after refusalOfTypedFields() found nothing to refuse.
void COption::takeTypedFields()
{
    AppSettings &s = m_settings;
    Ui_COption *f = m_ui;
    s.showHelp = isChecked(f->m_checkBoxGeneralShowHelp);
    s.defaultPath = f->m_lineEditGeneralDefaultPath->text();
    typedEnergy(&s.mktActivationEnergy);
    s.smtpServerAuto = isChecked(f->m_checkBoxOptionSmtpAuto) ? 1 : 0;
    s.smtpServerAddress = f->m_lineEditOptionSmtpAddress->text();
    s.smtpUserName = f->m_lineEditOptionSmtpUser->text();
    s.smtpPassword = f->m_lineEditOptionSmtpPass->text();
    s.smtpSenderName = f->m_lineEditOptionSmtpSenderName->text();
    s.smtpSenderEmail = f->m_lineEditOptionSmtpSenderEmail->text();
    s.smtpRecipientName = f->m_lineEditOptionSmtpRecipientName->text();
    s.smtpRecipientEmail = f->m_lineEditOptionSmtpRecipientEmail->text();
    s.smtpSubject = f->m_lineEditOptionSmtpSubject->text();
    typedPort(&s.smtpServerPort);
    s.smtpAttachedFiles = 0;
    for (const auto &box : attachmentBoxes())
        if (isChecked(box.first))
            s.smtpAttachedFiles |= box.second;
}

QVector<QPair<QCheckBox *, int>> COption::attachmentBoxes() const
{
    return {
        { m_ui->m_checkBoxOptionSmtpQlf, AttachBits::DataFile },
        { m_ui->m_checkBoxOptionSmtpTxt, AttachBits::Txt },
        { m_ui->m_checkBoxOptionSmtpCsv, AttachBits::Csv },
        { m_ui->m_checkBoxOptionSmtpPdf, AttachBits::Pdf },
        { m_ui->m_checkBoxOptionSmtpGraph, AttachBits::GraphImage },
    };
}

// The fields that OK alone reads show the working copy once, at opening; a
// refresh leaves them as the user is typing them, for OK to judge.
void COption::showFieldsOkTakes()
{
    const AppSettings &s = m_settings;
    Ui_COption *f = m_ui;
    m_updating = true;
    f->m_checkBoxGeneralShowHelp->setChecked(s.showHelp);
    f->m_lineEditGeneralDefaultPath->setText(s.defaultPath);
    f->m_lineEditOptionGeneralMkt->setText(energyText(s.mktActivationEnergy));
    f->m_checkBoxOptionSmtpAuto->setChecked(s.smtpServerAuto != 0);
    f->m_lineEditOptionSmtpAddress->setText(s.smtpServerAddress);
    // shown also without an address, so that OK never reads an empty port
    f->m_lineEditOptionSmtpPort->setText(QString::number(s.smtpServerPort));
    f->m_lineEditOptionSmtpUser->setText(s.smtpUserName);
    f->m_lineEditOptionSmtpPass->setText(s.smtpPassword);
    f->m_lineEditOptionSmtpSenderName->setText(s.smtpSenderName);
    f->m_lineEditOptionSmtpSenderEmail->setText(s.smtpSenderEmail);
    f->m_lineEditOptionSmtpRecipientName->setText(s.smtpRecipientName);
    f->m_lineEditOptionSmtpRecipientEmail->setText(s.smtpRecipientEmail);
    f->m_lineEditOptionSmtpSubject->setText(s.smtpSubject);
    for (const auto &box : attachmentBoxes())
        box.first->setChecked(s.smtpAttachedFiles & box.second);
    m_updating = false;
}

// ---- refresh -------------------------------------------------------------

QString COption::colorToRgbText(const QColor &color)
{
    return tr("%1,%2,%3").arg(color.red()).arg(color.green()).arg(color.blue());
}

QString COption::text(int id) const
{
    return m_mainWindow->app->languageTable->text(id);
}

void COption::showColor(QPushButton *button, const QColor &color)
{
    button->setStyleSheet(tr("background-color: rgb(%1);").arg(colorToRgbText(color)));
}

void COption::enableAutomaticSteps(bool pathSet)
{
    const bool download = isChecked(m_ui->m_checkBoxGeneralAutoDownloadLogger);
    m_ui->m_checkBoxGeneralAutoDownloadLogger->setEnabled(pathSet);
    for (QCheckBox *step : { m_ui->m_checkBoxGeneralAutoSaveLogger, m_ui->m_checkBoxGeneralAutoTxt,
                             m_ui->m_checkBoxGeneralAutoCsv, m_ui->m_checkBoxGeneralAutoPDFLogger })
        step->setEnabled(pathSet && download);
}

// Looking a reader up may start a process: once per opening is enough.
bool COption::pdfReaderKnown()
{
    if (m_pdfReaderKnown < 0) {
        const CMainApp *app = m_mainWindow->app;
        m_pdfReaderKnown = (!app->findAcrobatPath().isEmpty() || app->findPdfReader()) ? 1 : 0;
    }
    return m_pdfReaderKnown == 1;
}

void COption::updateDialog()
{
    m_updating = true;
    AppSettings &s = m_settings;
    Ui_COption *f = m_ui;

    const QPair<QPushButton *, QColor> graphColors[] = {
        { f->m_pushButtonViewGraphBackground, s.graphBackground },
        { f->m_pushButtonViewGraphHighHigh, s.graphThresholdHH },
        { f->m_pushButtonViewGraphHigh, s.graphThresholdH },
        { f->m_pushButtonViewGraphNormal, s.graphThresholdNormal },
        { f->m_pushButtonViewGraphMultiLink, s.graphThresholdMultiLink },
        { f->m_pushButtonViewGraphLow, s.graphThresholdL },
        { f->m_pushButtonViewGraphLowLow, s.graphThresholdLL },
        { f->m_pushButtonViewGraphLineColor, s.graphLineColor },
        { f->m_pushButtonViewGraphLineHumColor, s.graphLineHumColor },
        { f->m_pushButtonViewGraphLineExtColor, s.graphLineExtColor },
    };
    for (const auto &swatch : graphColors)
        showColor(swatch.first, swatch.second);
    f->m_spinBoxViewGraphLineThickness->setValue(s.graphLineThickness);
    f->m_checkBoxViewGraphShowHGrid->setChecked(s.graphShowHGrid);
    f->m_checkBoxViewGraphShowVGrid->setChecked(s.graphShowVGrid);
    f->m_checkBoxViewGraphShowTime->setChecked(s.graphShowTime);
    f->m_checkBoxViewGraphShowThreshold->setChecked(s.graphShowThresholdLine);
    f->m_checkBoxViewGraphShowFullRange->setChecked(s.graphShowFullRange);

    showColor(f->m_pushButtonViewHisBackground, s.histogramBackground);
    showColor(f->m_pushButtonViewHisBack, s.histogramBack);
    showColor(f->m_pushButtonViewHisLineColor, s.histogramLineColor);
    f->m_checkBoxViewHisShowHGrid->setChecked(s.histogramShowHGrid);
    f->m_checkBoxViewHisShowVGrid->setChecked(s.histogramShowVGrid);
    f->m_checkBoxViewHisShowFullRange->setChecked(s.histogramShowFullRange);

    if (!s.autoDownloadLogger) {
        s.autoSaveLogger = false;
        s.autoGeneratePdf = false;
        s.autoOpenPdf = false;
    }
    f->m_checkBoxGeneralAutoDownloadLogger->setChecked(s.autoDownloadLogger);
    f->m_checkBoxGeneralAutoSaveLogger->setChecked(s.autoSaveLogger);
    f->m_checkBoxGeneralAutoTxt->setChecked(s.autoGenerateTxt);
    f->m_checkBoxGeneralAutoCsv->setChecked(s.autoGenerateCsv);
    f->m_checkBoxGeneralAutoPDFLogger->setChecked(s.autoGeneratePdf);
    f->m_checkBoxAutoOpenPDF->setChecked(s.autoOpenPdf);
    const bool pathSet = !f->m_lineEditGeneralDefaultPath->text().isEmpty();
    enableAutomaticSteps(pathSet);
    f->m_checkBoxGeneralLockDescription->setChecked(s.lockDescription);
    f->m_checkBoxAutoOpenPDF->setEnabled(pathSet && isChecked(f->m_checkBoxGeneralAutoPDFLogger)
                                         && pdfReaderKnown());

    f->m_comboBoxLoggerUnit->setCurrentIndex(s.modeCelsius != 0 ? 0 : 1);
    f->m_comboBoxLoggerUnit->setEnabled(!m_mainWindow->formLocked);
    f->m_checkBoxMultiLinkSyncDateTime->setChecked(s.multiLinkSyncDateTime);
    f->m_checkBoxMultiLinkSyncElapsedTime->setChecked(s.multiLinkSyncElapsedTime);
    f->m_comboBoxGeneralDateFormat->setCurrentIndex(s.dateFormat == 0 ? 0 : 1);
    f->m_dateTimeEditGeneralCurrentTime->setDisplayFormat(
        s.dateFormat == 0 ? QStringLiteral("dd/MM/yyyy HH:mm:ss") : QStringLiteral("MM/dd/yyyy HH:mm:ss"));
    f->m_checkBoxGeneralDaylightTime->setEnabled(s.timeZoneIndex != 0);

    m_updating = false;
}

// ---- View tab: in force behind the dialog at once -------------------------

// Only what the View tab shows is previewed: the General tab's automatic
// steps, unit or time zone in force before OK would act on a choice the
// user may still cancel.
void COption::applyViewChange()
{
    updateDialog();
    copyViewSettings(m_settings, &m_mainWindow->app->settings);
    m_mainWindow->viewsDirty = true;
}

void COption::copyGraphSettings(const AppSettings &from, AppSettings *to)
{
    to->graphBackground = from.graphBackground;
    to->graphThresholdHH = from.graphThresholdHH;
    to->graphThresholdH = from.graphThresholdH;
    to->graphThresholdNormal = from.graphThresholdNormal;
    to->graphThresholdMultiLink = from.graphThresholdMultiLink;
    to->graphThresholdL = from.graphThresholdL;
    to->graphThresholdLL = from.graphThresholdLL;
    to->graphLineColor = from.graphLineColor;
    to->graphLineHumColor = from.graphLineHumColor;
    to->graphLineExtColor = from.graphLineExtColor;
    to->graphLineThickness = from.graphLineThickness;
    to->graphShowHGrid = from.graphShowHGrid;
    to->graphShowVGrid = from.graphShowVGrid;
    to->graphShowTime = from.graphShowTime;
    to->graphShowThresholdLine = from.graphShowThresholdLine;
    to->graphShowFullRange = from.graphShowFullRange;
}

void COption::copyHistogramSettings(const AppSettings &from, AppSettings *to)
{
    to->histogramBackground = from.histogramBackground;
    to->histogramBack = from.histogramBack;
    to->histogramLineColor = from.histogramLineColor;
    to->histogramShowHGrid = from.histogramShowHGrid;
    to->histogramShowVGrid = from.histogramShowVGrid;
    to->histogramShowFullRange = from.histogramShowFullRange;
}

void COption::copyViewSettings(const AppSettings &from, AppSettings *to)
{
    copyGraphSettings(from, to);
    copyHistogramSettings(from, to);
}

void COption::pickColor(QColor AppSettings::*member)
{
    const QColor chosen = CPrompt::color(this, m_settings.*member);
    if (!chosen.isValid())
        return;
    m_settings.*member = chosen;
    applyViewChange();
}

void COption::setViewFlag(bool AppSettings::*member, bool on)
{
    m_settings.*member = on;
    applyViewChange();
}

// The comparison of several sets is a General-tab choice: the default
// sets it in the working copy, for OK.
void COption::setDefaultGraphColors()
{
    const AppSettings defaults;
    copyGraphSettings(defaults, &m_settings);
    m_settings.multiLinkSyncDateTime = defaults.multiLinkSyncDateTime;
    m_settings.multiLinkSyncElapsedTime = defaults.multiLinkSyncElapsedTime;
}

void COption::on_m_pushButtonViewGraphBackground_clicked() { pickColor(&AppSettings::graphBackground); }
void COption::on_m_pushButtonViewGraphHighHigh_clicked() { pickColor(&AppSettings::graphThresholdHH); }
void COption::on_m_pushButtonViewGraphHigh_clicked() { pickColor(&AppSettings::graphThresholdH); }
void COption::on_m_pushButtonViewGraphNormal_clicked() { pickColor(&AppSettings::graphThresholdNormal); }
void COption::on_m_pushButtonViewGraphMultiLink_clicked() { pickColor(&AppSettings::graphThresholdMultiLink); }
void COption::on_m_pushButtonViewGraphLow_clicked() { pickColor(&AppSettings::graphThresholdL); }
void COption::on_m_pushButtonViewGraphLowLow_clicked() { pickColor(&AppSettings::graphThresholdLL); }
void COption::on_m_pushButtonViewGraphLineColor_clicked() { pickColor(&AppSettings::graphLineColor); }
void COption::on_m_pushButtonViewGraphLineHumColor_clicked() { pickColor(&AppSettings::graphLineHumColor); }
void COption::on_m_pushButtonViewGraphLineExtColor_clicked() { pickColor(&AppSettings::graphLineExtColor); }

void COption::on_m_spinBoxViewGraphLineThickness_valueChanged(int value)
{
    if (m_updating)
        return;
    m_settings.graphLineThickness = value;
    applyViewChange();
}

void COption::on_m_checkBoxViewGraphShowHGrid_clicked(bool checked) { setViewFlag(&AppSettings::graphShowHGrid, checked); }
void COption::on_m_checkBoxViewGraphShowVGrid_clicked(bool checked) { setViewFlag(&AppSettings::graphShowVGrid, checked); }
void COption::on_m_checkBoxViewGraphShowTime_clicked(bool checked) { setViewFlag(&AppSettings::graphShowTime, checked); }
void COption::on_m_checkBoxViewGraphShowThreshold_clicked(bool checked) { setViewFlag(&AppSettings::graphShowThresholdLine, checked); }
void COption::on_m_checkBoxViewGraphShowFullRange_clicked(bool checked) { setViewFlag(&AppSettings::graphShowFullRange, checked); }

void COption::on_m_pushButtonViewGraphDefault_clicked()
{
    setDefaultGraphColors();
    applyViewChange();
}

void COption::on_m_pushButtonViewHisBackground_clicked() { pickColor(&AppSettings::histogramBackground); }
void COption::on_m_pushButtonViewHisBack_clicked() { pickColor(&AppSettings::histogramBack); }
void COption::on_m_pushButtonViewHisLineColor_clicked() { pickColor(&AppSettings::histogramLineColor); }
void COption::on_m_checkBoxViewHisShowHGrid_clicked(bool checked) { setViewFlag(&AppSettings::histogramShowHGrid, checked); }
void COption::on_m_checkBoxViewHisShowVGrid_clicked(bool checked) { setViewFlag(&AppSettings::histogramShowVGrid, checked); }
void COption::on_m_checkBoxViewHisShowFullRange_clicked(bool checked) { setViewFlag(&AppSettings::histogramShowFullRange, checked); }

void COption::on_m_pushButtonViewHisDefault_clicked()
{
    copyHistogramSettings(AppSettings(), &m_settings);
    applyViewChange();
}

// ---- General tab: in the working copy until OK -----------------------------

void COption::setGeneralFlag(bool AppSettings::*member, const QCheckBox *box)
{
    m_settings.*member = isChecked(box);
    updateDialog();
}

void COption::on_m_toolButtonGeneralDefaultPath_clicked()
{
    const QString chosen = CPrompt::existingDirectory(this, tr("%1 Default Path").arg(AppInfo::productTitle()),
                                                      m_ui->m_lineEditGeneralDefaultPath->text());
    if (chosen.isEmpty())
        return;
    // a chosen folder may be one that cannot be written: OK tries it too
    m_ui->m_lineEditGeneralDefaultPath->setText(chosen);
    updateDialog();
}

// The home directory is accepted, but marked: data saved there is easily
// mixed with the user's own files.
void COption::on_m_lineEditGeneralDefaultPath_textChanged(const QString &text)
{
    enableAutomaticSteps(!text.isEmpty());
    const QString style = text == QDir::homePath() ? kWarningStyle : QString();
    m_ui->m_labelOptionGeneralPath->setStyleSheet(style);
    m_ui->m_lineEditGeneralDefaultPath->setStyleSheet(style);
    m_ui->m_toolButtonGeneralDefaultPath->setStyleSheet(style);
}

void COption::on_m_checkBoxGeneralAutoDownloadLogger_clicked()
{
    setGeneralFlag(&AppSettings::autoDownloadLogger, m_ui->m_checkBoxGeneralAutoDownloadLogger);
}

void COption::on_m_checkBoxGeneralAutoSaveLogger_clicked()
{
    setGeneralFlag(&AppSettings::autoSaveLogger, m_ui->m_checkBoxGeneralAutoSaveLogger);
}

void COption::on_m_checkBoxGeneralAutoTxt_clicked()
{
    setGeneralFlag(&AppSettings::autoGenerateTxt, m_ui->m_checkBoxGeneralAutoTxt);
}

void COption::on_m_checkBoxGeneralAutoCsv_clicked()
{
    setGeneralFlag(&AppSettings::autoGenerateCsv, m_ui->m_checkBoxGeneralAutoCsv);
}

void COption::on_m_checkBoxGeneralAutoPDFLogger_clicked()
{
    setGeneralFlag(&AppSettings::autoGeneratePdf, m_ui->m_checkBoxGeneralAutoPDFLogger);
}

void COption::on_m_checkBoxAutoOpenPDF_clicked()
{
    setGeneralFlag(&AppSettings::autoOpenPdf, m_ui->m_checkBoxAutoOpenPDF);
}

void COption::on_m_checkBoxGeneralLockDescription_clicked()
{
    setGeneralFlag(&AppSettings::lockDescription, m_ui->m_checkBoxGeneralLockDescription);
}

void COption::on_m_comboBoxLoggerUnit_currentIndexChanged(int index)
{
    if (m_updating)
        return;
    m_settings.modeCelsius = index == 0 ? 1 : 0;
}

void COption::on_m_comboBoxGeneralDateFormat_currentIndexChanged(int index)
{
    if (m_updating)
        return;
    m_settings.dateFormat = index;
    updateDialog();
}

// The two comparisons exclude each other: a click on either sets the other
// to the opposite.
void COption::on_m_checkBoxMultiLinkSyncDateTime_clicked()
{
    m_settings.multiLinkSyncDateTime = isChecked(m_ui->m_checkBoxMultiLinkSyncDateTime);
    m_settings.multiLinkSyncElapsedTime = !m_settings.multiLinkSyncDateTime;
    updateDialog();
}

void COption::on_m_checkBoxMultiLinkSyncElapsedTime_clicked()
{
    m_settings.multiLinkSyncElapsedTime = isChecked(m_ui->m_checkBoxMultiLinkSyncElapsedTime);
    m_settings.multiLinkSyncDateTime = !m_settings.multiLinkSyncElapsedTime;
    updateDialog();
}

// ---- time zone and clock ---------------------------------------------------

const QStringList &COption::timeZoneRows()
{
    static const QStringList rows = {
        QStringLiteral("Local Time Zone"),
        QStringLiteral("(GMT -12:00) International Date Line West"),
        QStringLiteral("(GMT -11:00) Midway Island. Samoa"),
        QStringLiteral("(GMT -10:00) Hawaii"),
        QStringLiteral("(GMT  -9:00) Alaska"),
        QStringLiteral("(GMT  -8:00) Pacific Time (US & Canada)"),
        QStringLiteral("(GMT  -8:00) Tijuana, Baja California"),
        QStringLiteral("(GMT  -7:00) Arizona"),
        QStringLiteral("(GMT  -7:00) Chihuahua, La Paz, Mazatlan"),
        QStringLiteral("(GMT  -7:00) Mountain Time (US & Canada)"),
        QStringLiteral("(GMT  -6:00) Central America"),
        QStringLiteral("(GMT  -6:00) Central Time (US & Canada)"),
        QStringLiteral("(GMT  -6:00) Guadalajara, Mexico City, Monterrey"),
        QStringLiteral("(GMT  -6:00) Saskatchewan"),
        QStringLiteral("(GMT  -5:00) Bogota, Lima, Quito"),
        QStringLiteral("(GMT  -5:00) Eastern Time (US & Canada)"),
        QStringLiteral("(GMT  -5:00) Indiana (East)"),
        QStringLiteral("(GMT  -4:30) Caracas"),
        QStringLiteral("(GMT  -4:00) Asuncion"),
        QStringLiteral("(GMT  -4:00) Atlantic Time (Canada)"),
        QStringLiteral("(GMT  -4:00) Georgetown, La Paz, San Juan"),
        QStringLiteral("(GMT  -4:00) Manaus"),
        QStringLiteral("(GMT  -4:00) Santiago"),
        QStringLiteral("(GMT  -3:30) Newfoundland"),
        QStringLiteral("(GMT  -3:00) Brasila"),
        QStringLiteral("(GMT  -3:00) Buenos Aires"),
        QStringLiteral("(GMT  -3:00) Cayenne"),
        QStringLiteral("(GMT  -3:00) Greenland"),
        QStringLiteral("(GMT  -3:00) Montevideo"),
        QStringLiteral("(GMT  -2:00) Mid-Atlantic"),
        QStringLiteral("(GMT  -1:00) Azores"),
        QStringLiteral("(GMT  -1:00) Cape Verde"),
        QStringLiteral("(GMT  00:00) Casablanca"),
        QStringLiteral("(GMT  00:00) Coordinate Universal Time"),
        QStringLiteral("(GMT  00:00) Dublin, Edinburgh, Lisbon, London"),
        QStringLiteral("(GMT  00:00) Monrovia, Reykjavik"),
        QStringLiteral("(GMT  +1:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna"),
        QStringLiteral("(GMT  +1:00) Belgrade, Bratislava, Budapest, Ljubjana, Prague"),
        QStringLiteral("(GMT  +1:00) Paris, Brussels, Copenhagen, Madrid"),
        QStringLiteral("(GMT  +1:00) Sarajevo, Skopje, Warsaw, Zagreb"),
        QStringLiteral("(GMT  +1:00) West Central Africa"),
        QStringLiteral("(GMT  +2:00) Amman"),
        QStringLiteral("(GMT  +2:00) Athens, Bucharest, Istanbul"),
        QStringLiteral("(GMT  +2:00) Beirut"),
        QStringLiteral("(GMT  +2:00) Cairo"),
        QStringLiteral("(GMT  +2:00) Harare, Pretoria"),
        QStringLiteral("(GMT  +2:00) Helsinki, Kyviv, Riga, Sofia, Tallinn, Vilnius"),
        QStringLiteral("(GMT  +2:00) Jerusalem"),
        QStringLiteral("(GMT  +2:00) Minsk"),
        QStringLiteral("(GMT  +2:00) Windhoek"),
        QStringLiteral("(GMT  +3:00) Baghdad"),
        QStringLiteral("(GMT  +3:00) Kuwait, Riyadh"),
        QStringLiteral("(GMT  +3:00) Moscow, St. Petersburg, Volgograd"),
        QStringLiteral("(GMT  +3:00) Nairobi"),
        QStringLiteral("(GMT  +3:00) Tbilisi"),
        QStringLiteral("(GMT  +3:30) Teheran"),
        QStringLiteral("(GMT  +4:00) Abu Dhabi, Muscat"),
        QStringLiteral("(GMT  +4:00) Baku"),
        QStringLiteral("(GMT  +4:00) Port Louis"),
        QStringLiteral("(GMT  +4:00) Yerevan"),
        QStringLiteral("(GMT  +4:30) Kabul"),
        QStringLiteral("(GMT  +5:00) Ekaterinburg"),
        QStringLiteral("(GMT  +5:00) Islamabad, Karachi"),
        QStringLiteral("(GMT  +5:00) Tashkent"),
        QStringLiteral("(GMT  +5:30) Chennai, Kolkata, Mumbai, New Delhi"),
        QStringLiteral("(GMT  +5:30) Sri Jayawardenepura"),
        QStringLiteral("(GMT  +5:45) Kathmandu"),
        QStringLiteral("(GMT  +6:00) Almaty, Novosibirsk"),
        QStringLiteral("(GMT  +6:00) Astana, Dhaka"),
        QStringLiteral("(GMT  +6:00) Yangon (Rangoon)"),
        QStringLiteral("(GMT  +7:00) Bangkok, Hanoi, Jakarta"),
        QStringLiteral("(GMT  +7:00) Krasnoyarsk"),
        QStringLiteral("(GMT  +8:00) Beijing, Chongqing, Hong Kong, Urumqi"),
        QStringLiteral("(GMT  +8:00) Irkutsk, Ulaan Bataar"),
        QStringLiteral("(GMT  +8:00) Kuala Lumpur, Singapore"),
        QStringLiteral("(GMT  +8:00) Perth"),
        QStringLiteral("(GMT  +8:00) Taipei"),
        QStringLiteral("(GMT  +9:00) Osaka, Sapporo, Tokyo"),
        QStringLiteral("(GMT  +9:00) Seoul"),
        QStringLiteral("(GMT  +9:00) Yakutsk"),
        QStringLiteral("(GMT  +9:30) Adelaide"),
        QStringLiteral("(GMT  +9:30) Darwin"),
        QStringLiteral("(GMT +10:00) Brisbane"),
        QStringLiteral("(GMT +10:00) Canberra, Melbourne, Sydney"),
        QStringLiteral("(GMT +10:00) Guam, Port Moresby"),
        QStringLiteral("(GMT +10:00) Hobart"),
        QStringLiteral("(GMT +10:00) Vladivostok"),
        QStringLiteral("(GMT +11:00) Magadan, Solomon Is., New Caledonia"),
        QStringLiteral("(GMT +12:00) Auckland, Wellington"),
        QStringLiteral("(GMT +12:00) Fiji, Marshall Is."),
        QStringLiteral("(GMT +12:00) Petropavlovsk-Kamchatsky"),
        QStringLiteral("(GMT +13:00) Nukuálofa"),
    };
    return rows;
}

// The sign covers the minutes: "-4:30" is minus four and a half hours.
float COption::timeZoneOffset(const QString &rowText)
{
    QString t = rowText;
    t.remove(QStringLiteral("(GMT"));
    const int end = t.indexOf(QLatin1Char(')'));
    if (end >= 0)
        t.truncate(end);
    t.remove(QLatin1Char(' '));
    t.remove(QLatin1Char(')'));
    t.replace(QStringLiteral(":15"), QStringLiteral(".25"));
    t.replace(QStringLiteral(":30"), QStringLiteral(".5"));
    t.replace(QStringLiteral(":45"), QStringLiteral(".75"));
    t.replace(QLatin1Char(':'), QLatin1Char('.'));
    return t.toFloat();
}

QDateTime COption::zoneClockTime(const AppSettings &settings, const QDateTime &utcNow)
{
    if (settings.zoneChosen())
        return QDateTime::fromSecsSinceEpoch(utcNow.toSecsSinceEpoch() + settings.zoneOffsetSeconds(), Qt::UTC);
    const QDateTime local = utcNow.toLocalTime();
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

void COption::showClock()
{
    m_ui->m_dateTimeEditGeneralCurrentTime->setDateTime(
        zoneClockTime(m_settings, QDateTime::currentDateTimeUtc()));
}

void COption::on_m_comboBoxGeneralTimeZone_currentIndexChanged(const QString &text)
{
    if (m_updating)
        return;
    m_settings.timeZone = timeZoneOffset(text);
    m_settings.timeZoneIndex = m_ui->m_comboBoxGeneralTimeZone->currentIndex();
    m_ui->m_checkBoxGeneralDaylightTime->setEnabled(m_settings.timeZoneIndex != 0);
}

void COption::on_m_checkBoxGeneralDaylightTime_clicked()
{
    if (m_updating)
        return;
    m_settings.timeZoneDaylight = int(m_ui->m_checkBoxGeneralDaylightTime->checkState());
}

void COption::Timer1Sec()
{
    showClock();
    if (!m_smtpTestPending)
        return;
    m_smtpTestPending = false;
    startSmtpTest();
}

// ---- language ------------------------------------------------------------------

void COption::selectLanguage(int language)
{
    m_mainWindow->app->languageTable->language = language;
    const QPair<QCheckBox *, int> boxes[] = {
        { m_ui->m_checkBoxOptionLangEn, English }, { m_ui->m_checkBoxOptionLangFr, French },
        { m_ui->m_checkBoxOptionLangSp, Spanish }, { m_ui->m_checkBoxOptionLangIt, Italian },
        { m_ui->m_checkBoxOptionLangGr, German },  { m_ui->m_checkBoxOptionLangPo, Portuguese },
    };
    for (const auto &box : boxes)
        box.first->setChecked(box.second == language);
    retranslate();
    updateDialog();
}

// In force in the whole window at once, and saved at once: Cancel does not
// take a language back.
void COption::chooseLanguage(int language)
{
    selectLanguage(language);
    TextFit::fitTexts(this);
    saveLanguageChoice();
    m_mainWindow->updateLoggerPage();
    m_mainWindow->viewsDirty = true;
}

void COption::on_m_checkBoxOptionLangEn_clicked() { chooseLanguage(English); }
void COption::on_m_checkBoxOptionLangFr_clicked() { chooseLanguage(French); }
void COption::on_m_checkBoxOptionLangIt_clicked() { chooseLanguage(Italian); }
void COption::on_m_checkBoxOptionLangSp_clicked() { chooseLanguage(Spanish); }
void COption::on_m_checkBoxOptionLangGr_clicked() { chooseLanguage(German); }
void COption::on_m_checkBoxOptionLangPo_clicked() { chooseLanguage(Portuguese); }

void COption::retranslate()
{
    Ui_COption *f = m_ui;
    setWindowTitle(
        tr("%1... %2 %3").arg(text(LabelId::Options), AppInfo::productTitle(), AppInfo::version()));

    QTabWidget *tabs = f->m_tabWidgetOption;
    tabs->setTabText(tabs->indexOf(f->m_tabGeneral), text(LabelId::General));
    tabs->setTabText(tabs->indexOf(f->m_tabView), text(LabelId::View));
    tabs->setTabText(tabs->indexOf(f->m_tabLanguages), text(LabelId::Language));

    const QPair<QWidget *, int> labels[] = {
        { f->m_groupBoxOptionGeneral, LabelId::General },
        { f->m_checkBoxGeneralShowHelp, LabelId::ShowHelpWindow },
        { f->m_checkBoxGeneralAutoDownloadLogger, LabelId::AutoDownloadLogger },
        { f->m_checkBoxGeneralAutoSaveLogger, LabelId::AutoSaveLogger },
        { f->m_checkBoxGeneralAutoPDFLogger, LabelId::AutoGeneratePdf },
        { f->m_checkBoxAutoOpenPDF, LabelId::AutoOpenPdf },
        { f->m_labelOptionGeneralUnit, LabelId::UnitDisplay },
        { f->m_checkBoxMultiLinkSyncDateTime, LabelId::CompareByActualTime },
        { f->m_checkBoxMultiLinkSyncElapsedTime, LabelId::CompareFromDifferentPeriods },
        { f->m_groupBoxOptionViewGraph, LabelId::Graph },
        { f->m_labelOptionViewBackground, LabelId::Background },
        { f->m_labelOptionViewHisBackground, LabelId::Background },
        { f->m_labelOptionViewHH, LabelId::HighHigh },
        { f->m_labelOptionViewH, LabelId::High },
        { f->m_labelOptionViewNormal, LabelId::Normal },
        { f->m_labelOptionViewMultiLink, LabelId::MultiLink },
        { f->m_labelOptionViewL, LabelId::Low },
        { f->m_labelOptionViewLL, LabelId::LowLow },
        { f->m_labelOptionViewLineIntTemp, LabelId::LineInternalTemperature },
        { f->m_labelOptionViewLineIntHum, LabelId::LineInternalHumidity },
        { f->m_labelOptionViewLineExtTemp, LabelId::LineExternalTemperature },
        { f->m_labelOptionViewLineThick, LabelId::LineThickness },
        { f->m_checkBoxViewGraphShowHGrid, LabelId::ShowHorizontalGrid },
        { f->m_checkBoxViewHisShowHGrid, LabelId::ShowHorizontalGrid },
        { f->m_checkBoxViewGraphShowVGrid, LabelId::ShowVerticalGrid },
        { f->m_checkBoxViewHisShowVGrid, LabelId::ShowVerticalGrid },
        { f->m_checkBoxViewGraphShowTime, LabelId::ShowTime },
        { f->m_checkBoxViewGraphShowThreshold, LabelId::ShowThreshold },
        { f->m_checkBoxViewGraphShowFullRange, LabelId::ShowFullRange },
        { f->m_checkBoxViewHisShowFullRange, LabelId::ShowFullRange },
        { f->m_pushButtonViewGraphDefault, LabelId::Default },
        { f->m_pushButtonViewHisDefault, LabelId::Default },
        { f->m_groupBoxOptionViewHistogram, LabelId::Histogram },
        { f->m_labelOptionViewHisBack, LabelId::Back },
        { f->m_labelOptionViewHisLis, LabelId::Line },
        { f->m_groupBoxOptionLanguage, LabelId::Language },
        { f->m_checkBoxOptionLangEn, LabelId::English },
        { f->m_checkBoxOptionLangFr, LabelId::French },
        { f->m_checkBoxOptionLangIt, LabelId::Italian },
        { f->m_checkBoxOptionLangSp, LabelId::Spanish },
        { f->m_checkBoxOptionLangGr, LabelId::German },
        { f->m_checkBoxOptionLangPo, LabelId::Portuguese },
        { f->m_checkBoxGeneralAutoTxt, LabelId::AutoGenerateTxt },
        { f->m_checkBoxGeneralAutoCsv, LabelId::AutoGenerateCsv },
        { f->m_labelOptionGeneralMktEnergy, LabelId::MktActivationEnergy },
        { f->m_labelOptionGeneralTimeAtSelTimeZone, LabelId::CurrentTimeInZone },
        { f->m_labelOptionGeneralTimeZone, LabelId::TimeZone },
        { f->m_checkBoxGeneralDaylightTime, LabelId::UseDaylightTime },
        { f->m_labelOptionGeneralPath, LabelId::DefaultPathOptions },
        { f->m_buttonBox->button(QDialogButtonBox::Ok), LabelId::Ok },
        { f->m_buttonBox->button(QDialogButtonBox::Cancel), LabelId::Cancel },
    };
    for (const auto &label : labels)
        setLabelText(label.first, text(label.second));
}

// ---- e-mail ----------------------------------------------------------------------

void COption::on_m_pushButtonOptionSmtpDefault_clicked()
{
    m_ui->m_lineEditOptionSmtpAddress->setText(DefaultMailAccount::host());
    m_ui->m_lineEditOptionSmtpPort->setText(QString::number(DefaultMailAccount::port()));
    m_ui->m_lineEditOptionSmtpUser->setText(DefaultMailAccount::address());
    // no password is built in: the account's owner types it
    m_ui->m_lineEditOptionSmtpPass->clear();
}

void COption::on_m_pushButtonOptionSmtpTest_clicked()
{
    m_ui->m_pushButtonOptionSmtpTest->setEnabled(false);
    m_smtpTestPending = true;
}

COption::SmtpTest COption::smtpTestFromFields() const
{
    SmtpTest test;
    test.host = m_ui->m_lineEditOptionSmtpAddress->text();
    test.port = m_ui->m_lineEditOptionSmtpPort->text().trimmed().toInt(nullptr, 10);
    test.user = m_ui->m_lineEditOptionSmtpUser->text();
    test.password = m_ui->m_lineEditOptionSmtpPass->text();
    test.senderEmail = m_ui->m_lineEditOptionSmtpSenderEmail->text();
    test.senderName = m_ui->m_lineEditOptionSmtpSenderName->text();
    test.recipientEmail = m_ui->m_lineEditOptionSmtpRecipientEmail->text();
    test.recipientName = m_ui->m_lineEditOptionSmtpRecipientName->text();
    return test;
}

bool COption::smtpTestRunning() const
{
    return m_smtpTest && m_smtpTest->isRunning();
}

// The exchange runs off the GUI thread and leaves the dialog responsive.
// It is the dialog's child: closed meanwhile, the dialog hears nothing.
void COption::startSmtpTest()
{
    if (!m_smtpTest) {
        m_smtpTest = new SmtpExchange(this);
        connect(m_smtpTest, &SmtpExchange::finished, this, [this](bool sent) { showSmtpTestResult(sent); });
    }
    const SmtpTest test = smtpTestFromFields();
    m_smtpTest->start({ test.host, test.port, test.user, test.password }, testMail(test));
}

void COption::showSmtpTestResult(bool sent)
{
    CPrompt::information(this, sent ? tr("EMail sent...     Success\n")
                                    : tr("EMail failed...     Error\n"));
    m_ui->m_pushButtonOptionSmtpTest->setEnabled(true);
}

std::shared_ptr<OutgoingMail> COption::testMail(const SmtpTest &test)
{
    auto mail = std::make_shared<OutgoingMail>();
    mail->address(test.senderEmail, test.senderName, test.recipientEmail, test.recipientName,
                  QString::fromLatin1(kTestSubject));
    mail->setBody(QString::fromLatin1(kTestBody));
    return mail;
}
