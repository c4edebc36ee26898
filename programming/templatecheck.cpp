#include "programming/templatecheck.h"

#include "core/loggerrecord.h"
#include "programming/programlimits.h"

namespace TemplateCheck {

bool sensorsAvailable(quint32 configWord, quint8 sensorFlags)
{
    const bool internal = sensorFlags & (SensorBits::InternalNtc | SensorBits::DigitalTempHum);
    const bool humidity = sensorFlags & SensorBits::DigitalTempHum;
    const bool external = sensorFlags & SensorBits::ExternalProbe;
    return (internal || !(configWord & ConfigBits::InternalOn))
           && (humidity || !(configWord & ConfigBits::HumidityOn))
           && (external || !(configWord & ConfigBits::ExternalOn));
}

bool suits(const LoggerRecord &templ, const LoggerRecord &logger)
{
    const QString model = templ.productCode.trimmed();
    const QString loggerModel = logger.productCode.trimmed();
    if (!model.isEmpty() && !loggerModel.isEmpty()
        && model.compare(loggerModel, Qt::CaseInsensitive) != 0)
        return false;
    return sensorsAvailable(templ.configWord, logger.sensorFlags);
}

bool lockedProgramSuits(quint32 configWord, quint32 memorySize, qint32 readingCount,
                        const LoggerRecord &logger)
{
    const bool countsReadings = configWord & ConfigBits::StopAfterReadings;
    const bool sameMemory = logger.memorySize == memorySize;
    return sensorsAvailable(configWord, logger.sensorFlags)
           && (sameMemory || !countsReadings || readingCount <= ProgramLimits::maxReadings(logger));
}

}
