#include "files/cfilemanager.h"

#include <cmath>
#include <variant>

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTextStream>

#include "core/clanguagetable.h"
#include "core/appinfo.h"
#include "core/cmainapp.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "core/recordcheck.h"
#include "core/windowstate.h"
#include "files/regularfile.h"
#include "files/wholefile.h"
#include "users/cuseradmin.h"

namespace {

// ---- settings ------------------------------------------------------------

template <typename T> using Member = T AppSettings::*;
using AnyMember = std::variant<Member<QColor>, Member<int>, Member<bool>, Member<QString>,
                               Member<double>, Member<float>>;

struct SettingKey
{
    const char *key;
    AnyMember member;
};

// The keys of "xZdr.ini" in the order of AppSettings. SMTP_PASSWORD is not
// here: it is written last.
const SettingKey kSettingKeys[] = {
    { "GRAPH_BACKGROUND", &AppSettings::graphBackground },
    { "GRAPH_THRESHOLD_HH", &AppSettings::graphThresholdHH },
    { "GRAPH_THRESHOLD_H", &AppSettings::graphThresholdH },
    { "GRAPH_THRESHOLD_NORMAL", &AppSettings::graphThresholdNormal },
    { "GRAPH_THRESHOLD_MULTILINK", &AppSettings::graphThresholdMultiLink },
    { "GRAPH_THRESHOLD_L", &AppSettings::graphThresholdL },
    { "GRAPH_THRESHOLD_LL", &AppSettings::graphThresholdLL },
    { "GRAPH_LINE_COLOR", &AppSettings::graphLineColor },
    { "GRAPH_LINE_HUM_COLOR", &AppSettings::graphLineHumColor },
    { "GRAPH_LINE_EXT_COLOR", &AppSettings::graphLineExtColor },
    { "GRAPH_LINE_TICKNESS", &AppSettings::graphLineThickness },
    { "GRAPH_SHOW_H_GRID", &AppSettings::graphShowHGrid },
    { "GRAPH_SHOW_V_GRID", &AppSettings::graphShowVGrid },
    { "GRAPH_SHOW_TIME", &AppSettings::graphShowTime },
    { "GRAPH_SHOW_THRESHOLD_LINE", &AppSettings::graphShowThresholdLine },
    { "GRAPH_SHOW_FULL_RANGE", &AppSettings::graphShowFullRange },
    { "HISTOGRAM_BACKGROUND", &AppSettings::histogramBackground },
    { "HISTOGRAM_BACK", &AppSettings::histogramBack },
    { "HISTOGRAM_LINE_COLOR", &AppSettings::histogramLineColor },
    { "HISTOGRAM_SHOW_H_GRID", &AppSettings::histogramShowHGrid },
    { "HISTOGRAM_SHOW_V_GRID", &AppSettings::histogramShowVGrid },
    { "HISTOGRAM_SHOW_FULL_RANGE", &AppSettings::histogramShowFullRange },
    { "GENERAL_DEFAULT_PATH", &AppSettings::defaultPath },
    { "GENERAL_SHOW_HELP", &AppSettings::showHelp },
    { "GENERAL_AUTO_DOWNLOAD_LOGGER", &AppSettings::autoDownloadLogger },
    { "GENERAL_AUTO_SAVE_LOGGER", &AppSettings::autoSaveLogger },
    { "GENERAL_AUTO_GENERATE_TXT_LOGGER", &AppSettings::autoGenerateTxt },
    { "GENERAL_AUTO_GENERATE_CSV_LOGGER", &AppSettings::autoGenerateCsv },
    { "GENERAL_AUTO_GENERATE_PDF_LOGGER", &AppSettings::autoGeneratePdf },
    { "GENERAL_AUTO_OPEN_PDF_LOGGER", &AppSettings::autoOpenPdf },
    { "GENERAL_MODE_CELCIUS", &AppSettings::modeCelsius },
    { "MULTILINK_SYNC_DATE_TIME", &AppSettings::multiLinkSyncDateTime },
    { "MULTILINK_SYNC_ELAPSED_TIME", &AppSettings::multiLinkSyncElapsedTime },
    { "MKT_ACTIVATION_ENERGY", &AppSettings::mktActivationEnergy },
    { "TIME_ZONE", &AppSettings::timeZone },
    { "TIME_ZONE_INDEX", &AppSettings::timeZoneIndex },
    { "TIME_ZONE_DAYLIGHT", &AppSettings::timeZoneDaylight },
    { "GENERAL_DATE_FORMAT", &AppSettings::dateFormat },
    { "SMTP_SERVER_ADDRESS", &AppSettings::smtpServerAddress },
    { "SMTP_USER_NAME", &AppSettings::smtpUserName },
    { "SMTP_SENDER_NAME", &AppSettings::smtpSenderName },
    { "SMTP_SENDER_EMAIL", &AppSettings::smtpSenderEmail },
    { "SMTP_RECIPIENT_NAME", &AppSettings::smtpRecipientName },
    { "SMTP_RECIPIENT_EMAIL", &AppSettings::smtpRecipientEmail },
    { "SMTP_SUBJECT", &AppSettings::smtpSubject },
    { "SMTP_SERVER_AUTO", &AppSettings::smtpServerAuto },
    { "SMTP_SERVER_PORT", &AppSettings::smtpServerPort },
    { "SMTP_ATACHED_FILES", &AppSettings::smtpAttachedFiles },
    { "LOCK_DESCRIPTION", &AppSettings::lockDescription },
};

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

// Numbers in a text stream's default notation ("5.5", "-3", "83.144").
template <typename T> QString streamNumber(T value)
{
    QString text;
    QTextStream(&text) << value;
    return text;
}

QString settingValue(const AppSettings &s, const AnyMember &member)
{
    return std::visit(Overloaded{
        [&](Member<QColor> m) {
            const QColor &c = s.*m;
            return QStringLiteral("%1=%2=%3").arg(c.red()).arg(c.green()).arg(c.blue());
        },
        [&](Member<int> m) { return QString::number(s.*m); },
        [&](Member<bool> m) { return QString::number(s.*m ? 1 : 0); },
        [&](Member<QString> m) { return s.*m; },
        [&](Member<double> m) { return streamNumber(s.*m); },
        [&](Member<float> m) { return streamNumber(s.*m); },
    }, member);
}

// The range in which a hand-edited number still means something; outside
// it the setting keeps the value it had, as a bad LANGUAGE does.
bool numberFitsSetting(const char *key, double number)
{
    if (!std::isfinite(number))
        return false;
    if (qstrcmp(key, "TIME_ZONE") == 0)
        return number >= -14.0 && number <= 14.0;
    if (qstrcmp(key, "MKT_ACTIVATION_ENERGY") == 0)
        return AppSettings::isMktActivationEnergy(number);
    return true;
}

template <typename T> void applyNumber(T &target, const char *key, const QString &value)
{
    bool ok = false;
    const double number = value.trimmed().toDouble(&ok);
    if (ok && numberFitsSetting(key, number))
        target = T(number);
}

void applySettingValue(AppSettings &s, const SettingKey &entry, const QString &value)
{
    const AnyMember &member = entry.member;
    std::visit(Overloaded{
        [&](Member<QColor> m) {
            const QStringList parts = value.split(QLatin1Char('='));
            if (parts.size() == 3)
                s.*m = QColor(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
        },
        [&](Member<int> m) { s.*m = value.trimmed().toInt(nullptr, 10); },
        [&](Member<bool> m) { s.*m = value.trimmed().toInt() != 0; },
        [&](Member<QString> m) { s.*m = value; },
        [&](Member<double> m) { applyNumber(s.*m, entry.key, value); },
        [&](Member<float> m) { applyNumber(s.*m, entry.key, value); },
    }, member);
}

// One "KEY=value" line: split at the first "=" only, so values may hold "=".
bool splitLine(QString line, QChar separator, QString &key, QString &value)
{
    line.remove(QLatin1Char('\r'));
    const int at = line.indexOf(separator);
    if (at < 0)
        return false;
    key = line.left(at);
    value = line.mid(at + 1);
    return true;
}

// ---- data file -----------------------------------------------------------

constexpr int kMaxDataFileSize = 2 * 1024 * 1024;

quint16 byteSum(const QByteArray &bytes)
{
    quint32 sum = 0;
    for (char c : bytes)
        sum += quint8(c);
    return quint16(sum);
}

QString fileLabel(const QString &path)
{
    return QFileInfo(path).fileName();
}

QByteArray digestOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// Two names of one file: a link or another spelling of the path is the
// same file.
bool sameFile(const QString &one, const QString &other)
{
    const QString canonical = QFileInfo(one).canonicalFilePath();
    if (!canonical.isEmpty() && canonical == QFileInfo(other).canonicalFilePath())
        return true;
    return QFileInfo(one).absoluteFilePath() == QFileInfo(other).absoluteFilePath();
}

// Writes bytes whole; on failure error names the file and the reason, and
// reason, when asked for, holds the system's reason alone.
bool writeWhole(const QString &path, const QByteArray &bytes, QString *error, QString *reason = nullptr)
{
    QString why;
    if (WholeFile::write(path, bytes, &why))
        return true;
    if (error)
        *error = QObject::tr("Warning!\n\nThe file \"%1\" could not be written: %2.").arg(path, why);
    if (reason)
        *reason = why;
    return false;
}

// A string of the data stream whose length prefix is plausible: a damaged
// prefix must not make the reader allocate or read past the end.
bool readStreamString(QDataStream &in, const QByteArray &bytes, QString &text)
{
    const qint64 at = in.device()->pos();
    if (at + 4 > bytes.size())
        return false;
    const quint32 length = (quint32(quint8(bytes[int(at)])) << 24) | (quint32(quint8(bytes[int(at) + 1])) << 16)
                           | (quint32(quint8(bytes[int(at) + 2])) << 8) | quint8(bytes[int(at) + 3]);
    if (length != 0xFFFFFFFFu && (length % 2 != 0 || at + 4 + qint64(length) > bytes.size()))
        return false;
    in >> text;
    return in.status() == QDataStream::Ok;
}

}

CFileManager::CFileManager(CMainApp *app)
    : app(app)
{
}

QString CFileManager::fileBaseName(const QString &serialNumber)
{
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|");
    QString name = serialNumber.trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("logger");
    for (QChar &c : name)
        if (!c.isPrint() || unsafe.contains(c))
            c = QLatin1Char('_');
    if (name.startsWith(QLatin1Char('.')))
        name[0] = QLatin1Char('_');
    return name;
}

bool CFileManager::prepareDataFolder(const QString &path, QString *reason)
{
    auto refuse = [&](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (path.trimmed().isEmpty())
        return refuse(QObject::tr("no folder is named"));
    if (!QDir().mkpath(path))
        return refuse(QObject::tr("it cannot be created"));
    // the folder's permission bits do not tell what its file system allows
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".mirelda-XXXXXX")));
    if (!probe.open())
        return refuse(QObject::tr("no file can be written in it (%1)").arg(probe.errorString()));
    return true;
}

// ---- settings files ----------------------------------------------------

bool CFileManager::writeSettings(const QString &path, QString *error)
{
    const AppSettings &s = app->settings;
    QString text = QStringLiteral("[SETTINGS]\r\n");
    for (const SettingKey &entry : kSettingKeys)
        text += QStringLiteral("%1=%2\r\n").arg(QLatin1String(entry.key), settingValue(s, entry.member));
    text += QStringLiteral("LANGUAGE=%1\r\n").arg(app->languageTable->language);
    text += QStringLiteral("FIRST_INIT_LANGUAGE=%1\r\n").arg(app->languageTable->firstInitLanguage);
    text += QStringLiteral("USER_ADMIN_LOGOUT_TIME=%1\r\n").arg(app->userAdmin->logoutMinutes);
    text += QStringLiteral("SMTP_PASSWORD=%1\r\n").arg(s.smtpPassword);
    text += QStringLiteral("\r\n");
    // a file holding a mail password is for its owner's eyes only
    WholeFile::Preparation ownerOnly;
    if (!s.smtpPassword.isEmpty())
        ownerOnly = [](QFileDevice &file) {
            return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        };
    return WholeFile::write(path, text.toUtf8(), error, ownerOnly);
}

bool CFileManager::readSettings(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    AppSettings &s = app->settings;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        QString key, value;
        if (!splitLine(line, QLatin1Char('='), key, value))
            continue;
        if (key == QLatin1String("SMTP_PASSWORD")) {
            s.smtpPassword = value;
        } else if (key == QLatin1String("LANGUAGE")) {
            const int language = value.trimmed().toInt();
            app->languageTable->language = CLanguageTable::isLanguage(language) ? language : 0;
        } else if (key == QLatin1String("FIRST_INIT_LANGUAGE")) {
            app->languageTable->firstInitLanguage = value.trimmed().toInt();
        } else if (key == QLatin1String("USER_ADMIN_LOGOUT_TIME")) {
            bool ok = false;
            const int minutes = value.trimmed().toInt(&ok);
            if (ok && minutes <= CUserAdmin::kMaxLogoutMinutes)
                app->userAdmin->logoutMinutes = minutes;
        } else {
            for (const SettingKey &entry : kSettingKeys) {
                if (key == QLatin1String(entry.key)) {
                    applySettingValue(s, entry, value);
                    break;
                }
            }
        }
    }
    // The zone is unset or local by its row alone (earlier files mark an
    // unset zone with the index -1): an offset of -1 is no such mark, since
    // the Azores and Cape Verde rows have it.
    if (s.timeZoneIndex <= 0) {
        s.timeZone = 0.0f;
        s.timeZoneIndex = 0;
    }
    return true;
}

QString CFileManager::readCsvTable(const QString &path, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    QTextStream in(&file);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QString line = in.readLine();
        QChar separator = QLatin1Char('=');
        if (csv)
            separator = line.contains(QLatin1Char(';')) ? QLatin1Char(';') : QLatin1Char(',');
        QString first, second;
        if (splitLine(line, separator, first, second) && first.trimmed() == key)
            return second.trimmed();
    }
    return QString();
}

// ---- small file helpers -------------------------------------------------

bool CFileManager::appendTextLine(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    QString crlf = text;
    crlf.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const QByteArray bytes = crlf.toUtf8();
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

bool CFileManager::writeBinaryFile(const QString &path, const char *data, int length,
                                   QString *error)
{
    if (!data || length < 0)
        return false;
    return WholeFile::write(path, QByteArray(data, length), error);
}

// ---- data file ---------------------------------------------------------

bool CFileManager::writeDataFile(const QString &path, int recordIndex, QString *error, QString *reason)
{
    if (recordIndex < 0 || recordIndex >= app->records.size())
        return false;
    QByteArray bytes;
    if (!encodeDataFile(app->records.at(recordIndex).trip(), app->userAdmin->enabled, bytes, error, reason)
        || !writeWhole(path, bytes, error, reason))
        return false;
    LoggerRecord &record = app->records[recordIndex];
    record.unsavedReadings = false;
    record.lostFileName.clear();
    record.fileName = path;
    record.fileDigest = digestOf(bytes);
    releaseFile(path, recordIndex);
    return true;
}

bool CFileManager::writeDataFile(const QString &path, const LoggerRecord &record,
                                 bool withCheckValue, QString *error, QString *reason)
{
    QByteArray bytes;
    return encodeDataFile(record, withCheckValue, bytes, error, reason) && writeWhole(path, bytes, error, reason);
}

CFileManager::FileState CFileManager::fileStateSince(const QString &path, const QByteArray &digest)
{
    QByteArray bytes;
    if (RegularFile::read(path, kMaxDataFileSize + 1, &bytes, nullptr))
        return !digest.isEmpty() && digestOf(bytes) == digest ? FileState::AsLeft : FileState::Changed;
    const QFileInfo there(path);
    return there.exists() || there.isSymLink() ? FileState::Changed : FileState::Gone;
}

void CFileManager::releaseFile(const QString &path, int keptIndex)
{
    for (int index = 0; index < app->records.size(); ++index) {
        LoggerRecord &record = app->records[index];
        if (index == keptIndex || !record.hasDataFile() || !sameFile(record.fileName, path))
            continue;
        fileLost(record);
        record.fileName.clear();
        record.fileDigest.clear();
        if (app->mainWindow)
            app->mainWindow->loggerTableDirty = true;
    }
}

void CFileManager::fileLost(LoggerRecord &record)
{
    if (!record.dataLoaded)
        return;
    record.unsavedReadings = true;
    record.lostFileName = record.fileName;
}

bool CFileManager::encodeDataFile(const LoggerRecord &record, bool withCheckValue, QByteArray &bytes,
                                  QString *error, QString *reason)
{
    const bool longReadings = record.versionWord <= MemoryMap::LastInternalOnlyVersion;
    const int count = qBound(0, qMin(record.readingCount, record.readings.size()), kMaxReadings);
    if (count > record.fileCapacity()) {
        const QString tooMany = QObject::tr("This logger's data file format holds at most 65,535 readings; "
                                            "the file was not written.");
        if (error)
            *error = QObject::tr("Warning!\n\n") + tooMany;
        if (reason)
            *reason = tooMany;
        return false;
    }

    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_8);
    out.setByteOrder(QDataStream::BigEndian);
    out << quint16(record.versionWord) << AppInfo::version() << quint32(record.alarmStatus)
        << quint16(MemoryMap::ImageSize);
    QByteArray image = record.imageRead.left(MemoryMap::ImageSize);
    image.append(QByteArray(MemoryMap::ImageSize - image.size(), '\0'));
    out.writeRawData(image.constData(), image.size());
    out << quint32(LoggerTime::fromDateTime(record.startTime));
    if (longReadings) {
        out << quint16(count);
        for (int i = 0; i < count; ++i)
            out << quint32(record.readings.at(i));
    } else {
        out << quint32(count);
        for (int i = 0; i < count; ++i)
            out << quint16(record.readings.at(i));
    }
    out << record.comment;
    if (withCheckValue)
        out << byteSum(bytes);
    return true;
}

bool CFileManager::readDataFile(const QString &path, LoggerRecord &record, QString *error)
{
    return readDataFile(path, record, app->userAdmin->enabled, error);
}

bool CFileManager::readDataFile(const QString &path, LoggerRecord &record, bool requireCheckValue,
                                QString *error)
{
    auto fail = [&](const QString &text) {
        if (error)
            *error = QStringLiteral("Warning!\n\n") + text.arg(fileLabel(path));
        return false;
    };

    QByteArray bytes;
    QString why;
    if (!RegularFile::read(path, kMaxDataFileSize + 1, &bytes, &why))
        return fail(QStringLiteral("\"%1\" ") + why + QLatin1Char('.'));
    if (bytes.size() > kMaxDataFileSize)
        return fail(QObject::tr("The file \"%1\" is not a data file of this program."));

    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_4_8);
    in.setByteOrder(QDataStream::BigEndian);

    quint16 version = 0;
    QString versionText;
    quint32 alarmStatus = 0;
    quint16 imageSize = 0;
    in >> version;
    if (in.status() != QDataStream::Ok || !readStreamString(in, bytes, versionText))
        return fail(QObject::tr("The file \"%1\" is not a data file of this program."));
    in >> alarmStatus >> imageSize;
    if (in.status() != QDataStream::Ok || imageSize != MemoryMap::ImageSize)
        return fail(QObject::tr("The file \"%1\" is not a data file of this program."));

    QByteArray image(MemoryMap::ImageSize, '\0');
    if (in.readRawData(image.data(), image.size()) != image.size())
        return fail(QObject::tr("The file \"%1\" is damaged: it ends too early."));

    const bool longReadings = version <= MemoryMap::LastInternalOnlyVersion;
    quint32 start = 0;
    quint32 count = 0;
    in >> start;
    if (longReadings) {
        quint16 shortCount = 0;
        in >> shortCount;
        count = shortCount;
    } else {
        in >> count;
    }
    if (in.status() != QDataStream::Ok)
        return fail(QObject::tr("The file \"%1\" is damaged: it ends too early."));
    if (count > quint32(kMaxReadings))
        return fail(QObject::tr("The file \"%1\" is damaged: it claims more than 65,536 readings."));
    const qint64 readingBytes = qint64(count) * (longReadings ? 4 : 2);
    if (in.device()->pos() + readingBytes > bytes.size())
        return fail(QObject::tr("The file \"%1\" is damaged: it ends before all its readings."));

    QVector<quint16> readings(static_cast<int>(count));
    for (quint32 i = 0; i < count; ++i) {
        if (longReadings) {
            quint32 word = 0;
            in >> word;
            readings[int(i)] = quint16(word);
        } else {
            in >> readings[int(i)];
        }
    }
    QString trailingText;
    if (!readStreamString(in, bytes, trailingText))
        return fail(QObject::tr("The file \"%1\" is damaged: it ends too early."));

    const qint64 bodyEnd = in.device()->pos();
    if (requireCheckValue) {
        quint16 stored = 0;
        in >> stored;
        if (in.status() != QDataStream::Ok || bodyEnd + 2 != bytes.size()
            || stored != byteSum(bytes.left(int(bodyEnd))))
            return fail(QObject::tr("The file \"%1\" has no valid check value: it may have been "
                                    "changed outside the program and is not opened."));
    }

    LoggerRecord loaded;
    ImageCodec::decode(image, loaded);
    // A file of the right shape may still hold nonsense: it is refused
    // rather than shown as a trip with a range or times no logger has.
    // A start of 0 is a trip begun without a start time, as the logger
    // itself writes it: shown with elapsed times, not from 2000.
    const QDateTime firstReading = start ? LoggerTime::toDateTime(start) : QDateTime();
    const QString implausible = RecordCheck::implausibleTrip(loaded, version, count, firstReading);
    if (!implausible.isEmpty()) {
        if (error)
            *error = QStringLiteral("Warning!\n\n")
                     + QObject::tr("The file \"%1\" is not a logger's data file: %2.").arg(fileLabel(path), implausible);
        return false;
    }
    loaded.versionWord = version;
    loaded.alarmStatus = alarmStatus;
    loaded.readings = readings;
    loaded.readingCount = int(count);
    loaded.recordedCount = count;
    loaded.startTime = firstReading;
    const int samples = loaded.sampleCount();
    loaded.stopTime = samples > 0 ? loaded.startTime.addSecs(qint64(samples - 1) * loaded.interval)
                                  : loaded.startTime;
    if (!trailingText.isEmpty())
        loaded.comment = trailingText.left(kCommentLength);
    loaded.fileName = QFileInfo(path).fileName();
    loaded.fileDigest = digestOf(bytes);
    loaded.fromFile = true;
    loaded.dataLoaded = true;
    loaded.ready = true;
    loaded.keepAsTrip();
    record = loaded;
    return true;
}

// ---- exports -------------------------------------------------------------

namespace {
QString csvField(const QString &field)
{
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"'))
        && !field.contains(QLatin1Char('\n')))
        return field;
    QString quoted = field;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
}

bool CFileManager::exportText(const QString &path, const QStringList &rowTimes,
                              const QList<QStringList> &rowValues, bool syncDateTime,
                              int selectedCount, const QStringList &headers, QString *error)
{
    Q_UNUSED(selectedCount)
    const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    const QString separator = csv ? QStringLiteral(",") : QStringLiteral("\t");
    auto joined = [&](const QStringList &fields) {
        if (!csv)
            return fields.join(separator);
        QStringList quoted;
        for (const QString &f : fields)
            quoted << csvField(f);
        return quoted.join(separator);
    };

    QString text;
    text.reserve(rowTimes.size() * 40);
    if (!headers.isEmpty()) {
        QStringList head{ QStringLiteral("No."),
                          syncDateTime || selectedCount <= 1 ? QStringLiteral("Date Time")
                                                             : QStringLiteral("Elapsed Time") };
        head << headers;
        text += joined(head) + QStringLiteral("\r\n");
    }
    for (int row = 0; row < rowTimes.size(); ++row) {
        QStringList fields{ QString::number(row + 1), rowTimes.at(row) };
        fields << rowValues.value(row);
        text += joined(fields) + QStringLiteral("\r\n");
    }
    return WholeFile::write(path, text.toUtf8(), error);
}

// ---- program templates ------------------------------------------------

namespace {
const char *const kLimitKeys[4] = { "ALARM_HIGH_HIGH", "ALARM_HIGH", "ALARM_LOW", "ALARM_LOW_LOW" };
// Key suffix of each limit group (internal, external, humidity).
const char *const kGroupSuffix[3] = { "", "_EXT", "_HUM" };
const QString kDateFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");
// far more than the keys of a template take
constexpr int kMaxTemplateSize = 64 * 1024;
}

QString CFileManager::templateLimitKey(int group, int level)
{
    return QLatin1String(kLimitKeys[level]) + QLatin1String(kGroupSuffix[group]);
}

QString CFileManager::templateDelayKey(int group, bool consecutive)
{
    return (consecutive ? QStringLiteral("CONSECUTIVE_ALARM_DELAY") : QStringLiteral("TOTAL_ALARM_DELAY"))
           + QLatin1String(kGroupSuffix[group]);
}

bool CFileManager::saveTemplate(const QString &path, const LoggerRecord &r, QString *error)
{
    QString text = QStringLiteral("[TEMPLATE]\r\n");
    auto line = [&](const QString &key, const QString &value) {
        text += key + QLatin1Char('=') + value + QStringLiteral("\r\n");
    };
    line(QStringLiteral("PRODUCTION_CODE"), r.productCode);
    line(QStringLiteral("DESCRIPTION"), r.description);
    line(QStringLiteral("MODE"), QString::number(r.configWord, 16).toUpper());
    for (int g = 0; g < 3; ++g) {
        for (int level = 0; level < 4; ++level)
            line(templateLimitKey(g, level), QString::number(r.alarmThresholds[g][level]));
        line(templateDelayKey(g, true), QString::number(r.consecutiveDelay[g]));
        line(templateDelayKey(g, false), QString::number(r.totalDelay[g]));
    }
    line(QStringLiteral("PRG_INTERVAL"), QString::number(r.interval));
    line(QStringLiteral("PRG_START_DATE"), r.startAt.toString(kDateFormat));
    line(QStringLiteral("PRG_STOP_DATE"), r.stopAt.toString(kDateFormat));
    line(QStringLiteral("PRG_START_WAIT"), QString::number(r.startDelay));
    line(QStringLiteral("PRG_STOP_READING"), QString::number(r.stopReadingCount));
    line(QStringLiteral("PRG_DURATION"), QString::number(r.duration));
    line(QStringLiteral("MAX_TRIP"), QString::number(r.maxTrip));
    return writeWhole(path, text.toUtf8(), error);
}

bool CFileManager::readTemplate(const QString &path, LoggerRecord &r, QString *error)
{
    auto refuse = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QByteArray content;
    QString unread;
    if (!RegularFile::read(path, kMaxTemplateSize + 1, &content, &unread))
        return refuse(QObject::tr("it %1").arg(unread));
    const QStringList lines = QString::fromUtf8(content).split(QLatin1Char('\n'));
    if (content.size() > kMaxTemplateSize || lines.first().trimmed() != QLatin1String("[TEMPLATE]"))
        return refuse(QObject::tr("it is not a program template"));
    QHash<QString, QString> values;
    for (const QString &line : lines) {
        QString key, value;
        if (splitLine(line, QLatin1Char('='), key, value))
            values.insert(key.trimmed(), value);
    }
    // Every key the save writes must be there with a value its field holds:
    // a template cut short or edited by hand is refused whole, rather than
    // mixed with what the page held before.
    QString fault;
    auto present = [&](const QString &key) {
        if (!fault.isEmpty())
            return false;
        if (values.contains(key))
            return true;
        fault = QObject::tr("%1 is missing").arg(key);
        return false;
    };
    auto badValue = [&](const QString &key) {
        if (fault.isEmpty())
            fault = QObject::tr("%1=%2 is not a value it can take").arg(key, values.value(key));
    };
    auto number = [&](const QString &key, double lowest, double highest) {
        if (!present(key))
            return 0.0;
        bool valid = false;
        const double v = values.value(key).trimmed().toDouble(&valid);
        if (valid && std::isfinite(v) && v >= lowest && v <= highest)
            return v;
        badValue(key);
        return 0.0;
    };
    // The save writes no date where the record has none: the record's own stays.
    auto date = [&](const QString &key, const QDateTime &own) {
        if (!present(key) || values.value(key).trimmed().isEmpty())
            return own;
        const QDateTime read = QDateTime::fromString(values.value(key).trimmed(), kDateFormat);
        if (!read.isValid())
            badValue(key);
        return read.isValid() ? read : own;
    };

    LoggerRecord t = r;
    const QString productKey = QStringLiteral("PRODUCTION_CODE");
    if (present(productKey))
        t.productCode = values.value(productKey);
    const QString descriptionKey = QStringLiteral("DESCRIPTION");
    if (present(descriptionKey)) {
        t.description = values.value(descriptionKey);
        if (t.description.size() > MemoryMap::DescriptionLength)
            fault = QObject::tr("%1 holds %2 characters; the logger takes at most %3")
                        .arg(descriptionKey)
                        .arg(t.description.size())
                        .arg(MemoryMap::DescriptionLength);
    }
    const QString modeKey = QStringLiteral("MODE");
    if (present(modeKey)) {
        bool ok = false;
        t.configWord = values.value(modeKey).trimmed().toUInt(&ok, 16);
        if (!ok)
            badValue(modeKey);
    }
    constexpr double kLimit = 327.67;   // limits are stored as 16-bit hundredths
    constexpr double kU16 = 65535.0, kU32 = 4294967295.0, kI32 = 2147483647.0;
    for (int g = 0; g < 3; ++g) {
        for (int level = 0; level < 4; ++level)
            t.alarmThresholds[g][level] = number(templateLimitKey(g, level), -kLimit - 0.01, kLimit);
        t.consecutiveDelay[g] = quint16(number(templateDelayKey(g, true), 0, kU16));
        t.totalDelay[g] = quint16(number(templateDelayKey(g, false), 0, kU16));
    }
    t.interval = quint32(number(QStringLiteral("PRG_INTERVAL"), 0, kU32));
    t.startAt = date(QStringLiteral("PRG_START_DATE"), t.startAt);
    t.stopAt = date(QStringLiteral("PRG_STOP_DATE"), t.stopAt);
    t.startDelay = quint32(number(QStringLiteral("PRG_START_WAIT"), 0, kU32));
    t.stopReadingCount = qint32(number(QStringLiteral("PRG_STOP_READING"), 0, kI32));
    t.duration = quint32(number(QStringLiteral("PRG_DURATION"), 0, kU32));
    t.maxTrip = int(number(QStringLiteral("MAX_TRIP"), 0, kU16));
    if (!fault.isEmpty())
        return refuse(fault);
    r = t;
    return true;
}
