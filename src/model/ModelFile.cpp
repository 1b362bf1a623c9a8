#include "model/ModelFile.h"

#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TextFile.h"
#include "data/Podatki.h"
#include "model/ModelClass.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr int HeaderValueDigits = 14;
constexpr int SampleDigits = 12;
constexpr int FirstSampleLine = 38;
constexpr int SampleFields = 7;

// The key of each value line 4, 6, ..., 34 in order.
const std::array<const char*, 16> Keys = {
    "Ojacenje notranjega procesa:",
    "Casovna konstanta notranjega procesa:",
    "Zakasnitev notranjega procesa:",
    "Vzorcenje notranjega procesa:",
    "Deviacija ojacenja notranjega procesa:",
    "Deviacija casovne konstante notranjega procesa:",
    "Standardna deviacija notranjega procesa:",
    "Relativna standardna deviacija meritev-model notranjega procesa:",
    "Ojacenje zunanjega procesa:",
    "Casovna konstanta zunanjega procesa:",
    "Zakasnitev zunanjega procesa:",
    "Vzorcenje zunanjega procesa:",
    "Deviacija ojacenja zunanjega procesa:",
    "Deviacija casovne konstante zunanjega procesa:",
    "Standardna deviacija zunanjega procesa:",
    "Relativna standardna deviacija meritev-model zunanjega procesa:",
};

// The eight header values of one process in file order.
std::array<double, 8> HeaderValues(const ProcessModel& m, double ts)
{
    return {m.Gain,          m.TimeConstant,  m.DeadTime,    ts,
            m.GainDeviation, m.TimeDeviation, m.ResidualSTD, m.RelativeError};
}

void ReadHeaderValues(const std::array<double, 8>& v, ProcessModel& m)
{
    m.Gain = v[0];
    m.TimeConstant = v[1];
    m.DeadTime = v[2];
    m.GainDeviation = v[4];
    m.TimeDeviation = v[5];
    m.ResidualSTD = v[6];
    m.RelativeError = v[7];
}

// The seven sample arrays of the file, in field order.
template <typename Store> auto SampleArrays(Store& s)
{
    return std::array{&s.IdentTime,     &s.IdentU,           &s.IdentY1,         &s.MeasuredInner,
                      &s.MeasuredOuter, &s.ModelOutputInner, &s.ModelOutputOuter};
}

double SampleValue(QStringView field)
{
    return ParseSampleField(field).value_or(0.0);
}

} // namespace

void SaveModel(const QString& fileName, const Podatki& store)
{
    const int n = std::clamp(store.IdentSampleCount, 0, Podatki::MaxSamples);
    auto notFinite = [&] {
        throw FileError(QStringLiteral("%1: modela ni mogoče zapisati: vrednost ni končno število")
                            .arg(fileName)
                            .toStdString());
    };

    QStringList lines;
    lines.reserve(n + 40);
    auto line = [&lines](const QString& content) { lines << content; };
    line(QStringLiteral("VARKOL Model"));
    line(QStringLiteral("V1.0"));
    std::array<double, 16> values;
    const std::array<double, 8> inner = HeaderValues(store.InnerModel, store.SamplingTime);
    const std::array<double, 8> outer = HeaderValues(store.OuterModel, store.SamplingTime);
    std::copy(inner.begin(), inner.end(), values.begin());
    std::copy(outer.begin(), outer.end(), values.begin() + 8);
    for (std::size_t k = 0; k < Keys.size(); ++k) {
        if (!std::isfinite(values[k]))
            notFinite();
        line(QString::fromLatin1(Keys[k]));
        line(FormatGeneral(values[k], HeaderValueDigits));
    }
    line(QStringLiteral("Stevilo vzorcev:"));
    line(QString::number(n));
    line(QStringLiteral("Podatki:"));
    const auto arrays = SampleArrays(store);
    for (int i = 1; i <= n; ++i) {
        QString text;
        for (int f = 0; f < SampleFields; ++f) {
            const double v = Sample(*arrays[static_cast<std::size_t>(f)], i);
            if (!std::isfinite(v))
                notFinite();
            if (f > 0)
                text += u'\t';
            text += FormatGeneral(v, SampleDigits);
        }
        lines << text;
    }
    WriteTextLines(fileName, lines);
}

void LoadModel(const QString& fileName, Podatki& store)
{
    const FileLines lines(fileName);

    // Header: values on the even lines 4..34, by position.
    std::array<double, 8> inner{}, outer{};
    for (int k = 0; k < 8; ++k) {
        inner[static_cast<std::size_t>(k)] = lines.Number(4 + 2 * k);
        outer[static_cast<std::size_t>(k)] = lines.Number(20 + 2 * k);
    }
    const int n = lines.Integer(36);
    if (n < 0)
        lines.Fail(36, QStringLiteral("število vzorcev ne more biti negativno"));
    if (n > Podatki::MaxSamples)
        lines.Fail(36, QStringLiteral("datoteka ima %1 vzorcev, program jih sprejme največ %2")
                           .arg(n)
                           .arg(Podatki::MaxSamples));
    lines.Line(FirstSampleLine - 1 + n); // all sample lines are there

    // Samples into fresh arrays.
    std::array<std::vector<double>, SampleFields> samples;
    for (auto& column : samples)
        column.resize(static_cast<std::size_t>(n));
    for (int r = 1; r <= n; ++r) {
        const QString& text = lines.Line(FirstSampleLine - 1 + r);
        const auto fields = QStringView(text).split(u'\t');
        const auto row = static_cast<std::size_t>(r - 1);
        const auto count = static_cast<int>(fields.size());
        // The first six fields when they are not the line's last; the last
        // field present goes to the seventh column.
        for (int f = 0; f < SampleFields - 1; ++f)
            samples[static_cast<std::size_t>(f)][row] =
                f < count - 1 ? SampleValue(fields[f]) : 0.0;
        samples[SampleFields - 1][row] =
            SampleValue(count >= SampleFields ? fields[SampleFields - 1] : fields[count - 1]);
    }

    // The whole file is read: replace the store's model.
    ReadHeaderValues(inner, store.InnerModel);
    ReadHeaderValues(outer, store.OuterModel);
    store.SamplingTime = outer[3]; // line 26 is read last and wins over line 10
    store.IdentSampleCount = n;
    const auto arrays = SampleArrays(store);
    for (std::size_t f = 0; f < SampleFields; ++f)
        std::copy(samples[f].begin(), samples[f].end(), arrays[f]->begin());
    store.InnerDelaySamples = DelaySamples(store.InnerModel.DeadTime, store.SamplingTime);
    store.OuterDelaySamples = DelaySamples(store.OuterModel.DeadTime, store.SamplingTime);
    // The file does not tell a refined model from an identified one.
    store.InnerRefinement = {};
    store.OuterRefinement = {};
}
