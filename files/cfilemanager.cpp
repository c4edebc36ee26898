#include "files/cfilemanager.h"

#include "core/cmainapp.h"

CFileManager::CFileManager(CMainApp *app)
    : app(app)
{
}

bool CFileManager::writeSettings(const QString &) { return false; }
bool CFileManager::readSettings(const QString &) { return false; }
QString CFileManager::readCsvTable(const QString &, const QString &) { return QString(); }
bool CFileManager::appendTextLine(const QString &, const QString &) { return false; }
bool CFileManager::writeBinaryFile(const QString &, const char *, int) { return false; }
bool CFileManager::writeDataFile(const QString &, int) { return false; }
bool CFileManager::writeDataFile(const QString &, const LoggerRecord &, bool, QString *) { return false; }
bool CFileManager::readDataFile(const QString &, LoggerRecord &, QString *) { return false; }
bool CFileManager::readDataFile(const QString &, LoggerRecord &, bool, QString *) { return false; }
bool CFileManager::exportText(const QString &, const QStringList &, const QList<QStringList> &, bool, int,
                              const QStringList &) { return false; }
bool CFileManager::saveTemplate(const QString &, const LoggerRecord &) { return false; }
bool CFileManager::readTemplate(const QString &, LoggerRecord &) { return false; }
