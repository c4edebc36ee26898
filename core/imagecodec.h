#pragma once

#include <QByteArray>

struct LoggerRecord;

// Decoding and building of the 768-byte memory image (see memorymap.h).
namespace ImageCodec {

bool usesLayout2(quint16 versionWord);

// Fills the record's configuration fields from an image (as read from the
// logger or stored in a data file) and keeps the image as imageRead. An
// image shorter than 768 bytes is padded with zeros.
void decode(const QByteArray &image, LoggerRecord &record);

// Builds an image from the record's configuration fields over base (the
// image as read, so that the calibration tables and unknown bytes stay), in
// the layout of the record's version word.
QByteArray encode(const LoggerRecord &record, const QByteArray &base);

// Turns the layout-2 fields between big- and little-endian (the swap is its
// own inverse).
void swapLayout2Fields(QByteArray &image);

// Text field of the image: Latin-1, cut at the first NUL, trailing blanks
// removed.
QString textField(const QByteArray &image, int offset, int length);
void putTextField(QByteArray &image, int offset, int length, const QString &text);

}
