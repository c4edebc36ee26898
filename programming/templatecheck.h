#pragma once

#include <QString>

struct LoggerRecord;

// Whether a program made for one logger can be written to another: a
// program template loaded from a file, or the program held on the locked
// form while loggers are plugged one after the other.
namespace TemplateCheck {

// Every sensor the configuration word switches on is one the logger has.
bool sensorsAvailable(quint32 configWord, quint8 sensorFlags);

// A template (read into an empty record) suits a logger of its model: the
// product code the logger stores, and the sensors it switches on.
bool suits(const LoggerRecord &templ, const LoggerRecord &logger);
// Why it does not, naming the model or the sensors the logger lacks, as a
// warning that names the template's path; "" when it suits.
QString whyItDoesNotSuit(const QString &path, const LoggerRecord &templ, const LoggerRecord &logger);

// A value of the template, applied onto the record of its logger, that the
// page would not take as typed, would show other than it is written, or the
// logger cannot hold: "KEY=value" and why; "" when it takes them all. The
// limits are shown in Celsius, or in Fahrenheit when celsius is false.
QString valueRefused(const LoggerRecord &applied, bool celsius);

// The program locked on the form (the configuration word, memory size and
// reading count of the logger it was locked on) suits a logger that has
// its sensors and, with another memory size, room for its readings.
bool lockedProgramSuits(quint32 configWord, quint32 memorySize, qint32 readingCount,
                        const LoggerRecord &logger);

}
