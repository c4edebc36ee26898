#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/loggerrecord.h"

class CMainApp;

// Every reader and writer of the program's own files: the settings files,
// the binary data file, program templates, text exports and small helpers.
class CFileManager
{
public:
    explicit CFileManager(CMainApp *app);

    // The serial number of a logger as the base of the file names made from
    // it: it comes from the logger's memory or a drive file, so anything
    // that could leave the folder, hide the file or break the name (path
    // separators, characters the file systems refuse, control characters, a
    // leading dot) becomes "_", and a name left without use is "logger".
    static QString fileBaseName(const QString &serialNumber);

    // Creates the data folder when it is missing and makes sure files can be
    // written in it. False with the reason when it cannot be used.
    static bool prepareDataFolder(const QString &path, QString *reason = nullptr);

    // "xZdr.ini": the core's settings, the label table's language and the
    // user administration's logout time. False with the reason in error when
    // the file was not written.
    bool writeSettings(const QString &path, QString *error = nullptr);
    // Missing file: defaults stay, returns false.
    bool readSettings(const QString &path);

    // Second part of the first line whose first part is key; "" when the
    // file or key is missing. Lines split once, at "=" or at ";" / ",".
    static QString readCsvTable(const QString &path, const QString &key);

    // Appends text, creating the file; line ends are written "\r\n".
    static bool appendTextLine(const QString &path, const QString &text);
    static bool writeBinaryFile(const QString &path, const char *data, int length,
                                QString *error = nullptr);

    // The data file (".qlf"). The check value is written and required while
    // user administration is on. Writing goes through a temporary file, so a
    // failed save leaves the previous file whole, and error says which file
    // and why; reason says why alone, for a box that names the file itself.
    // Writing a record of the list marks its readings saved only once the
    // file is whole on the disk; the file is then the record's, and no
    // longer that of any other record (see releaseFile).
    bool writeDataFile(const QString &path, int recordIndex, QString *error = nullptr,
                       QString *reason = nullptr);
    static bool writeDataFile(const QString &path, const LoggerRecord &record,
                              bool withCheckValue, QString *error = nullptr, QString *reason = nullptr);
    bool readDataFile(const QString &path, LoggerRecord &record, QString *error = nullptr);
    static bool readDataFile(const QString &path, LoggerRecord &record, bool requireCheckValue,
                             QString *error);

    // Whether the data file at path still holds what a record read or
    // wrote there (LoggerRecord::fileDigest). What cannot be read there, or
    // is no file, has changed.
    enum class FileState { AsLeft, Changed, Gone };
    static FileState fileStateSince(const QString &path, const QByteArray &digest);
    // The records of the list other than keptIndex whose file is path let
    // it go: it was written over, and what they hold is in no file now.
    void releaseFile(const QString &path, int keptIndex);
    // The record's file no longer holds its trip: the readings it shows
    // are kept nowhere else, and are offered for saving as never saved.
    static void fileLost(LoggerRecord &record);

    // Readings export: tab-separated for ".txt", comma-separated for ".csv".
    // rowTimes and rowValues are the readings table's rows. A failed export
    // leaves the previous file whole, and error says why.
    static bool exportText(const QString &path, const QStringList &rowTimes,
                           const QList<QStringList> &rowValues, bool syncDateTime,
                           int selectedCount, const QStringList &headers = QStringList(),
                           QString *error = nullptr);

    // Program templates (".xtp"). A failed save leaves the previous file
    // whole, and error says why.
    static bool saveTemplate(const QString &path, const LoggerRecord &record, QString *error = nullptr);
    // A template with a key missing or a value its field cannot hold is
    // refused whole: record is left as it was, and error names the key.
    static bool readTemplate(const QString &path, LoggerRecord &record, QString *error = nullptr);
    // The key of a limit (group, then level HH..LL), and of the delays of a group.
    static QString templateLimitKey(int group, int level);
    static QString templateDelayKey(int group, bool consecutive);

private:
    // The bytes of the data file of record; false, with error and reason
    // as for the writers, when its format cannot hold the record.
    static bool encodeDataFile(const LoggerRecord &record, bool withCheckValue, QByteArray &bytes,
                               QString *error, QString *reason);

    CMainApp *app;
};
