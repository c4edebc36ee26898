#pragma once

#include <QString>
#include <QStringList>

// What the operating system tells the logger link: the serial ports to
// probe and the drive of the mass-storage logger.
namespace Platform {

// Device paths of the serial ports, followed by the paths listed in
// MIRELDA_EXTRA_PORTS (colon-separated). Pseudo-terminals are never listed
// by the system, so the logger simulator is reached through that variable.
QStringList serialPorts();

// Root directory of the mounted volume named label, or "" when none is
// mounted. MIRELDA_MSD_ROOT, when set, names a directory that stands for
// that volume.
QString volumeRoot(const QString &label);

}
