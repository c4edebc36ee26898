#pragma once

#include <QDateTime>
#include <QString>

#include "core/loggerrecord.h"

// What a logger accepts as a program, and the conversions between the
// program page's editors and the record's fields. Every value typed on the
// page passes through here before it reaches a record, so that nothing
// outside these bounds is ever written to a logger.
namespace ProgramLimits {

constexpr int MinDelay = 1;
constexpr int MaxDelay = 254;
constexpr int MinInterval = 5;          // seconds
constexpr int MaxInterval = 43199;      // 11:59:59
constexpr int MaxTrips = 9999;          // also "unlimited"
constexpr int MaxPassword = 65535;
constexpr int StartMarginSeconds = 300; // a start time must lie further ahead
constexpr double HumidityLow = 0.0;
constexpr double HumidityHigh = 100.0;

int clampDelay(int value);
int clampInterval(int seconds);
int clampMaxTrips(int value);
// The logger password typed on the page: a decimal number up to 65535;
// anything else counts as 0 (no password).
quint16 parsePassword(const QString &text);

// Readings the logger's memory holds: the 768-byte header, when the memory
// has one, is not for readings.
int maxReadings(const LoggerRecord &record);
// Longest start delay the logger takes, in days: a memory without header
// counts the days in a narrower field.
int maxStartDelayDays(const LoggerRecord &record);

// The wait editor shows a delay as a date-time whose two-digit year is the
// number of days ("yy'd' HH':'mm"), from 2000-01-01 00:00.
QDateTime delayToEditor(quint32 seconds);
quint32 editorToDelay(const QDateTime &value);
// The interval editor shows seconds as a time of day of 2000-01-01.
QDateTime intervalToEditor(quint32 seconds);
int editorToInterval(const QDateTime &value);
QDateTime toWholeMinutes(const QDateTime &value);

// The last second the logger's clock can hold (LoggerTime::lastClockTime,
// which the data files are checked by too). No start, stop or reading of a
// program lies beyond it.
QDateTime lastLoggerTime();

// A start time that lies StartMarginSeconds or less ahead of now (both in
// logger time) is refused: the logger would miss it.
bool startTimePassed(const QDateTime &startAt, const QDateTime &now);
// A logger whose trips reached its maximum takes no new program (9999:
// no maximum).
bool noProgramsLeft(int tripNumber, int maxTrip);

// A logger starts one way only: at a date and time (At) or with its button
// after a wait (Wait). With both start bits it starts at the time and
// ignores the wait; with neither it has no start at all.
enum class StartChoice { None, At, Wait, Both };
StartChoice startChoice(quint32 configWord);
// How many of Stop At, Stop After and Continuous logging the word holds:
// the page lets the user choose one at most.
int stopChoices(quint32 configWord);

// Why the logger could not run this program (no sensor, an interval it cannot
// record at, no start or two, a stop that comes before the start), as a message
// that says what to change; "" when it can run it. now is logger time.
QString unrunnableProgram(const LoggerRecord &program, const QDateTime &now);

// Why the logger could not hold the times of this program: a start, a stop
// or the end of its readings beyond lastLoggerTime(); "" when it can.
QString timesTheLoggerCannotHold(const LoggerRecord &program);

// Why the password typed on the page cannot be programmed (a number
// outside 1..MaxPassword, or not a number), as a message that names the
// range; "" when it can, or when the field is empty (no password).
QString passwordRefusal(const QString &typed);

// The logger keeps its texts (serial number, product code, description,
// comment, the short name of who configured it) in Latin-1, one byte a character: any other character would come
// back as "?". The message names each field and the characters it cannot
// hold; "" when every text fits.
QString textTheLoggerCannotHold(const LoggerRecord &program);

// Limits are kept in Celsius and shown with one decimal in the unit of the
// settings; humidity is no temperature and shows as it is.
double shownFromCelsius(double value, bool temperature, bool celsius);
double celsiusFromShown(double value, bool temperature, bool celsius);
QString limitText(double value, bool temperature, bool celsius);
// The limit field, showing value, gives the logger that very value back
// (in its hundredths) when it is left as it shows it.
bool limitFieldHolds(double value, bool temperature, bool celsius);

// Brings the four limits of one channel (HH, H, L, LL) inside low..high
// (when low < high) and into the order HH >= H >= L >= LL among the enabled
// levels; a lower level above the one over it is lowered to it. Returns
// true when a value had to change.
bool correctAlarmLimits(double limits[4], const bool enabled[4], double low, double high);

// The range the limits of a group lie in: the logger's own for the
// temperatures, 0 to 100 % for humidity.
void limitRange(const LoggerRecord &record, LimitGroup group, double &low, double &high);
// The first level of a group whose limit the page would not take as it
// stands (correctAlarmLimits would change it), -1 when none.
int misplacedLimit(const LoggerRecord &record, LimitGroup group);
// The groups in the order of the alarm tabs, and whether the program
// switches on the sensor of one.
constexpr LimitGroup GroupsAsShown[3] = { GroupInternal, GroupHumidity, GroupExternal };
bool groupSwitchedOn(quint32 configWord, LimitGroup group);
// The first group, of the sensors the program switches on, with a limit
// the page would not take; -1 when none.
int groupWithMisplacedLimit(const LoggerRecord &program);
// The logger's range in whole degrees of the settings' unit ("-40/85"),
// and with its unit ("-40/85 °C").
QString rangeText(const LoggerRecord &record, bool celsius);
QString rangeTextWithUnit(const LoggerRecord &record, bool celsius);
// The range a group's limits have to stay in, as a warning quotes it:
// the logger's own with its unit, "0/100 %" for humidity.
QString limitRangeText(const LoggerRecord &record, LimitGroup group, bool celsius);

}
