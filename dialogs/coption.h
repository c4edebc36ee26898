#pragma once

#include <memory>

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QVector>

#include "files/appsettings.h"

class MainWindow;
class OutgoingMail;
class QCheckBox;
class QPushButton;
class QTimer;
class SmtpExchange;
class Ui_COption;

// The options dialog. It edits a working copy of the core's settings and
// keeps the copy taken when it opened: the View tab hands its own colours
// and flags to the core at once so the graph and histogram follow behind
// the dialog, OK applies the whole working copy and writes "xZdr.ini",
// Cancel (or Escape, or the close button) puts the opening colours and
// flags back. A language choice is in force in the whole window and saved
// at once.
class COption : public QDialog
{
    Q_OBJECT
public:
    explicit COption(MainWindow *mainWindow);
    ~COption() override;

    // The 92 rows of the time-zone list; row 0 is local time.
    static const QStringList &timeZoneRows();
    // Hours from UTC of a time-zone row: "(GMT  -4:30) Caracas" is -4.5,
    // a row without an offset 0.
    static float timeZoneOffset(const QString &rowText);
    // What the clock of the dialog shows at the instant utcNow: local time
    // while the zone index is 0, otherwise UTC plus the zone's offset and an
    // hour of daylight saving, its fields as they stand.
    static QDateTime zoneClockTime(const AppSettings &settings, const QDateTime &utcNow);
    // "200,0,0": the colour of a swatch's style sheet.
    static QString colorToRgbText(const QColor &color);
    // The members the View tab edits, graph and histogram.
    static void copyGraphSettings(const AppSettings &from, AppSettings *to);
    static void copyHistogramSettings(const AppSettings &from, AppSettings *to);
    static void copyViewSettings(const AppSettings &from, AppSettings *to);

    // What the test e-mail is sent with: the e-mail fields as they stand.
    struct SmtpTest
    {
        QString host;
        int port = 0;
        QString user;
        QString password;
        QString senderEmail;
        QString senderName;
        QString recipientEmail;
        QString recipientName;
    };
    // The fixed test message, from and to the test's addresses.
    static std::shared_ptr<OutgoingMail> testMail(const SmtpTest &test);

    // Label text of id in the current language.
    QString text(int id) const;
    // Shows the working copy in every widget.
    void updateDialog();
    void selectLanguage(int language);
    void retranslate();
    void setDefaultGraphColors();

    Ui_COption *form() const { return m_ui; }
    const AppSettings &workingSettings() const { return m_settings; }
    bool smtpTestRunning() const;

public slots:
    void on_m_buttonBox_accepted();

    void on_m_pushButtonViewGraphBackground_clicked();
    void on_m_pushButtonViewGraphHighHigh_clicked();
    void on_m_pushButtonViewGraphHigh_clicked();
    void on_m_pushButtonViewGraphNormal_clicked();
    void on_m_pushButtonViewGraphMultiLink_clicked();
    void on_m_pushButtonViewGraphLow_clicked();
    void on_m_pushButtonViewGraphLowLow_clicked();
    void on_m_pushButtonViewGraphLineColor_clicked();
    void on_m_pushButtonViewGraphLineHumColor_clicked();
    void on_m_pushButtonViewGraphLineExtColor_clicked();
    void on_m_spinBoxViewGraphLineThickness_valueChanged(int value);
    void on_m_checkBoxViewGraphShowHGrid_clicked(bool checked);
    void on_m_checkBoxViewGraphShowVGrid_clicked(bool checked);
    void on_m_checkBoxViewGraphShowTime_clicked(bool checked);
    void on_m_checkBoxViewGraphShowThreshold_clicked(bool checked);
    void on_m_checkBoxViewGraphShowFullRange_clicked(bool checked);
    void on_m_pushButtonViewGraphDefault_clicked();

    void on_m_pushButtonViewHisBackground_clicked();
    void on_m_pushButtonViewHisBack_clicked();
    void on_m_pushButtonViewHisLineColor_clicked();
    void on_m_checkBoxViewHisShowHGrid_clicked(bool checked);
    void on_m_checkBoxViewHisShowVGrid_clicked(bool checked);
    void on_m_checkBoxViewHisShowFullRange_clicked(bool checked);
    void on_m_pushButtonViewHisDefault_clicked();

    void on_m_toolButtonGeneralDefaultPath_clicked();
    void on_m_lineEditGeneralDefaultPath_textChanged(const QString &text);
    void on_m_checkBoxGeneralAutoDownloadLogger_clicked();
    void on_m_checkBoxGeneralAutoSaveLogger_clicked();
    void on_m_checkBoxGeneralAutoTxt_clicked();
    void on_m_checkBoxGeneralAutoCsv_clicked();
    void on_m_checkBoxGeneralAutoPDFLogger_clicked();
    void on_m_checkBoxAutoOpenPDF_clicked();
    void on_m_comboBoxLoggerUnit_currentIndexChanged(int index);
    void on_m_comboBoxGeneralDateFormat_currentIndexChanged(int index);
    void on_m_checkBoxMultiLinkSyncDateTime_clicked();
    void on_m_checkBoxMultiLinkSyncElapsedTime_clicked();
    void on_m_checkBoxGeneralLockDescription_clicked();

    void on_m_comboBoxGeneralTimeZone_currentIndexChanged(const QString &text);
    void on_m_checkBoxGeneralDaylightTime_clicked();
    void Timer1Sec();
    void on_m_checkBoxOptionLangEn_clicked();
    void on_m_checkBoxOptionLangFr_clicked();
    void on_m_checkBoxOptionLangIt_clicked();
    void on_m_checkBoxOptionLangSp_clicked();
    void on_m_checkBoxOptionLangGr_clicked();
    void on_m_checkBoxOptionLangPo_clicked();

    void on_m_pushButtonOptionSmtpTest_clicked();
    void on_m_pushButtonOptionSmtpDefault_clicked();

protected:
    // Cancel, Escape and the title bar's close button all end here.
    void reject() override;
    // OK closes the dialog only with a default path that can be used.
    void accept() override;

private:
    void fillDateFormats();
    void fillTimeZones();
    void chooseFirstPage();
    void showColor(QPushButton *button, const QColor &color);
    void enableAutomaticSteps(bool pathSet);
    bool pdfReaderKnown();
    void showClock();

    // The fields without a slot of their own: OK alone reads them.
    void showFieldsOkTakes();
    QString refusalOfTypedFields();
    // Whether the field holds a value the settings can take; it is given
    // back through the pointer when there is one.
    bool typedEnergy(double *energy) const;
    bool typedPort(int *port) const;
    void takeTypedFields();
    QVector<QPair<QCheckBox *, int>> attachmentBoxes() const;
    void pickColor(QColor AppSettings::*member);
    void setViewFlag(bool AppSettings::*member, bool on);
    void applyViewChange();
    void setGeneralFlag(bool AppSettings::*member, const QCheckBox *box);
    void chooseLanguage(int language);
    void restoreSettingsAtOpen();
    // Writes "xZdr.ini" from the core; a failed write is shown.
    void saveSettingsFile();
    void saveLanguageChoice();
    void warnSettingsNotWritten(const QString &reason);
    SmtpTest smtpTestFromFields() const;
    void startSmtpTest();
    void showSmtpTestResult(bool sent);

    SmtpExchange *m_smtpTest = nullptr;

    MainWindow *m_mainWindow = nullptr;
    QTimer *m_timer = nullptr;
    AppSettings m_settings;
    AppSettings m_settingsAtOpen;
    bool m_updating = false;
    bool m_smtpTestPending = false;
    Ui_COption *m_ui = nullptr;

    int m_pdfReaderKnown = -1;        // -1 until first asked
};
