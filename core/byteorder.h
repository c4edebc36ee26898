#pragma once

#include <QByteArray>
#include <QtGlobal>

// Big- and little-endian access to byte buffers (memory images, file blocks).
// Out-of-range reads give 0 and out-of-range writes are ignored, so a short
// buffer from a bad file never reads or writes past its end.
namespace ByteOrder {
quint16 getBE16(const QByteArray &data, int offset);
quint32 getBE32(const QByteArray &data, int offset);
quint16 getLE16(const QByteArray &data, int offset);
quint32 getLE32(const QByteArray &data, int offset);
void putBE16(QByteArray &data, int offset, quint16 value);
void putBE32(QByteArray &data, int offset, quint32 value);
void putLE16(QByteArray &data, int offset, quint16 value);
void putLE32(QByteArray &data, int offset, quint32 value);
// Reverses the bytes of a 16- or 32-bit field in place.
void swap16(QByteArray &data, int offset);
void swap32(QByteArray &data, int offset);
}
