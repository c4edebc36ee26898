#pragma once

#include <QString>
#include <QStringList>

// What the operating system tells the logger link: the serial ports to
// probe and the drive of the mass-storage logger.
namespace Platform {

// Device paths of the serial ports, followed by the extra ports.
// Pseudo-terminals are never listed by the system, so the logger simulator
// is reached through them.
QStringList serialPorts();

// The extra ports: those of MIRELDA_EXTRA_PORTS (colon-separated) as it was
// at the first look, until they are set. The links list ports on their own
// threads, so the list is changed here rather than in the environment,
// which no thread may change while another reads it.
QStringList extraPorts();
void setExtraPorts(const QStringList &paths);

// Root directory of the mounted volume named label, or "" when none is
// mounted. MIRELDA_MSD_ROOT, when set, names a directory that stands for
// that volume.
QString volumeRoot(const QString &label);

}
