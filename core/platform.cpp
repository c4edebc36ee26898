#include "core/platform.h"

#include <QDir>
#include <QMutex>
#include <QSerialPortInfo>
#include <QStorageInfo>

namespace Platform {

namespace {

QMutex extraPortsMutex;
QStringList extraPortList;
bool extraPortsKnown = false;

}

QStringList extraPorts()
{
    QMutexLocker lock(&extraPortsMutex);
    if (!extraPortsKnown) {
        extraPortList =
            qEnvironmentVariable("MIRELDA_EXTRA_PORTS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
        extraPortsKnown = true;
    }
    return extraPortList;
}

void setExtraPorts(const QStringList &paths)
{
    QMutexLocker lock(&extraPortsMutex);
    extraPortList = paths;
    extraPortsKnown = true;
}

QStringList serialPorts()
{
    QStringList ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        ports << info.systemLocation();
    const QStringList extra = extraPorts();
    for (const QString &path : extra)
        if (!ports.contains(path))
            ports << path;
    return ports;
}

QString volumeRoot(const QString &label)
{
    const QString hook = qEnvironmentVariable("MIRELDA_MSD_ROOT");
    if (!hook.isEmpty())
        return QDir(hook).exists() ? hook : QString();
    const auto volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes)
        if (volume.isValid() && volume.isReady() && volume.name() == label)
            return volume.rootPath();
    return QString();
}

}
