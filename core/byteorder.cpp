#include "core/byteorder.h"

namespace {
bool fits(const QByteArray &data, int offset, int size)
{
    return offset >= 0 && offset + size <= data.size();
}
quint8 byteAt(const QByteArray &data, int offset)
{
    return quint8(data.at(offset));
}
}

namespace ByteOrder {

quint16 getBE16(const QByteArray &data, int offset)
{
    if (!fits(data, offset, 2))
        return 0;
    return quint16(byteAt(data, offset) << 8 | byteAt(data, offset + 1));
}

quint32 getBE32(const QByteArray &data, int offset)
{
    if (!fits(data, offset, 4))
        return 0;
    return quint32(getBE16(data, offset)) << 16 | getBE16(data, offset + 2);
}

quint16 getLE16(const QByteArray &data, int offset)
{
    if (!fits(data, offset, 2))
        return 0;
    return quint16(byteAt(data, offset + 1) << 8 | byteAt(data, offset));
}

quint32 getLE32(const QByteArray &data, int offset)
{
    if (!fits(data, offset, 4))
        return 0;
    return quint32(getLE16(data, offset + 2)) << 16 | getLE16(data, offset);
}

void putBE16(QByteArray &data, int offset, quint16 value)
{
    if (!fits(data, offset, 2))
        return;
    data[offset] = char(value >> 8);
    data[offset + 1] = char(value);
}

void putBE32(QByteArray &data, int offset, quint32 value)
{
    if (!fits(data, offset, 4))
        return;
    putBE16(data, offset, quint16(value >> 16));
    putBE16(data, offset + 2, quint16(value));
}

void putLE16(QByteArray &data, int offset, quint16 value)
{
    if (!fits(data, offset, 2))
        return;
    data[offset] = char(value);
    data[offset + 1] = char(value >> 8);
}

void putLE32(QByteArray &data, int offset, quint32 value)
{
    if (!fits(data, offset, 4))
        return;
    putLE16(data, offset, quint16(value));
    putLE16(data, offset + 2, quint16(value >> 16));
}

void swap16(QByteArray &data, int offset)
{
    putLE16(data, offset, getBE16(data, offset));
}

void swap32(QByteArray &data, int offset)
{
    putLE32(data, offset, getBE32(data, offset));
}

}
