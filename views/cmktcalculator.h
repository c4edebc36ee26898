#pragma once

#include <QString>

// Mean kinetic temperature of a series of temperatures (Haynes form).
// Nothing is kept per reading, so a whole data set costs no memory.
class CMktCalculator
{
public:
    explicit CMktCalculator(int activationEnergy);

    // One temperature, in degrees Celsius.
    void add(double celsius);
    // The mean kinetic temperature in degrees Celsius; not a number while
    // nothing was added. Also kept in mkt.
    double result();

    bool isEmpty() const { return sampleCount == 0; }
    // The result as a table shows it: "-" for an empty series, where the
    // bare result would read "nan".
    QString resultText(int decimals = 2);

    static constexpr double kGasConstant = 8.3144;
    // Single precision on purpose: the offset is 273.149993896484375 in
    // every sum, so results match what loggers and reports already show.
    static constexpr float kKelvinOffset = 273.15f;

    int activationEnergy;   // kJ/mol
    double mkt = 0.0;
    double expSum = 0.0;
    double energyOverR;     // kelvin
    int sampleCount = 0;
};
