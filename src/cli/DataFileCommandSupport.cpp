#include "cli/DataFileCommandSupport.h"

#include "app/NumberText.h"

LoadedDataFile LoadDataFile(const std::string& fileName)
{
    LoadedDataFile file;
    file.Store = std::make_unique<Podatki>();
    file.Texts = LoadMeasurements(*file.Store, QString::fromLocal8Bit(fileName.c_str()));
    const MeasurementFileSettings& t = file.Texts;
    file.Settings = {ParseNumber(t.FilterTime), ParseNumber(t.ActuatorMaximum),
                     ParseNumber(t.ActuatorMinimum), ParseNumber(t.ActuatorVelocity)};
    file.Columns = DefaultColumns(file.Store->SignalCount);
    file.Window = LoadedWindowChoosers(file.Store->SampleCount, file.Store->WindowGap,
                                       ParseInteger(t.WindowStart), ParseInteger(t.WindowEnd));
    return file;
}
