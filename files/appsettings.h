#pragma once

#include <QColor>
#include <QString>

// Every option of "xZdr.ini". Copied and assigned whole: the options dialog
// keeps a working copy and the copy taken when it opened.
struct AppSettings
{
    QColor graphBackground{255, 255, 255};
    QColor graphThresholdHH{200, 0, 0};
    QColor graphThresholdH{255, 100, 100};
    QColor graphThresholdNormal{255, 255, 255};
    QColor graphThresholdMultiLink{80, 80, 128};
    QColor graphThresholdL{100, 100, 255};
    QColor graphThresholdLL{0, 0, 255};
    QColor graphLineColor{0, 0, 0};
    QColor graphLineHumColor{0, 255, 0};
    QColor graphLineExtColor{255, 255, 0};
    int graphLineThickness = 3;
    bool graphShowHGrid = true;
    bool graphShowVGrid = true;
    bool graphShowTime = true;
    bool graphShowThresholdLine = false;
    bool graphShowFullRange = true;
    QColor histogramBackground{255, 255, 255};
    QColor histogramBack{160, 160, 164};
    QColor histogramLineColor{0, 0, 255};
    bool histogramShowHGrid = true;
    bool histogramShowVGrid = false;
    bool histogramShowFullRange = true;
    QString defaultPath;
    bool showHelp = true;
    bool autoDownloadLogger = false;
    bool autoSaveLogger = false;
    bool autoGenerateTxt = false;
    bool autoGenerateCsv = false;
    bool autoGeneratePdf = false;
    bool autoOpenPdf = false;
    int modeCelsius = 1;                 // 0 shows Fahrenheit
    bool multiLinkSyncDateTime = false;
    bool multiLinkSyncElapsedTime = true;
    int spare1 = 0;                      // carried by no key
    int spare2 = 0;
    double mktActivationEnergy = 83.144; // kJ/mol
    float timeZone = 0.0f;               // hours from UTC
    int timeZoneIndex = 0;               // 0: local time
    int timeZoneDaylight = 0;            // 0, or 2 when set
    int dateFormat = 0;                  // 0: dd/mm/yyyy, else mm/dd/yyyy
    QString smtpServerAddress;
    QString smtpUserName;
    QString smtpPassword;
    QString smtpSenderName;
    QString smtpSenderEmail;
    QString smtpRecipientName;
    QString smtpRecipientEmail;
    QString smtpSubject;
    int smtpServerAuto = 0;
    int smtpServerPort = 465;
    int smtpAttachedFiles = 0;           // 1 qlf, 2 txt, 4 csv, 8 pdf, 16 jpg
    bool lockDescription = false;

    bool celsius() const { return modeCelsius != 0; }
    // The mean kinetic temperature takes the energy in whole kJ/mol: below
    // 1 it would be 0 and every MKT undefined.
    static constexpr double kMinMktActivationEnergy = 1.0;
    static constexpr double kMaxMktActivationEnergy = 1000.0;
    static bool isMktActivationEnergy(double kJPerMol)
    {
        return kJPerMol >= kMinMktActivationEnergy && kJPerMol <= kMaxMktActivationEnergy;
    }
    bool dayFirst() const { return dateFormat == 0; }
    // A zone chosen in the options, rather than the PC's own, sets the
    // loggers' clocks at its fixed offset from UTC (daylight hour included).
    bool zoneChosen() const { return timeZoneIndex != 0; }
    qint64 zoneOffsetSeconds() const
    {
        return qint64(double(timeZone) * 3600.0 + (timeZoneDaylight != 0 ? 3600.0 : 0.0));
    }
};

// Attachment bits of AppSettings::smtpAttachedFiles.
namespace AttachBits {
constexpr int DataFile = 1, Txt = 2, Csv = 4, Pdf = 8, GraphImage = 16;
}

// The built-in e-mail account that the options dialog fills in. No password
// is built in: its owner types it, and it is kept like any other.
namespace DefaultMailAccount {
inline QString host() { return QStringLiteral("smtp.mirelda-loggers.example"); }
constexpr int port() { return 465; }
inline QString address() { return QStringLiteral("reports@mirelda-loggers.example"); }
}
