#include "views/cmktcalculator.h"

#include <cmath>

CMktCalculator::CMktCalculator(int activationEnergy)
    : activationEnergy(activationEnergy),
      energyOverR(activationEnergy * 1000.0 / kGasConstant)
{
}

void CMktCalculator::add(double celsius)
{
    expSum += std::exp(-energyOverR / (celsius + double(kKelvinOffset)));
    ++sampleCount;
}

double CMktCalculator::result()
{
    mkt = -energyOverR / std::log(expSum / sampleCount) - double(kKelvinOffset);
    return mkt;
}

QString CMktCalculator::resultText(int decimals)
{
    if (isEmpty())
        return QStringLiteral("-");
    const double value = result();
    return std::isfinite(value) ? QString::number(value, 'f', decimals) : QStringLiteral("-");
}
