#pragma once

// The ten chart pictures of a report: PNG files in the report's folder,
// named as they always were, with ".png" for the old metafiles' ".wmf".

#include <QString>

#include <array>

enum class ReportPicture {
    SignalMV,    // "omidra0.png": large signal view, MV
    SignalU,     // "omidra.png"
    SignalY1,    // "omidra1.png"
    SignalY2,    // "omidra2.png"
    HistogramMV, // "omidra_HMV.png": histogram view, MV
    HistogramU,  // "omidra_HU.png"
    HistogramY1, // "omidra_HY.png"
    HistogramY2, // "omidra_HY1.png"
    Model,       // "omidra3.png": the model chart
    Responses,   // "omidra4.png": the response chart
};

inline constexpr std::array<ReportPicture, 10> AllReportPictures = {
    ReportPicture::SignalMV,    ReportPicture::SignalU,     ReportPicture::SignalY1,
    ReportPicture::SignalY2,    ReportPicture::HistogramMV, ReportPicture::HistogramU,
    ReportPicture::HistogramY1, ReportPicture::HistogramY2, ReportPicture::Model,
    ReportPicture::Responses};

inline QString ReportPictureFile(ReportPicture picture)
{
    switch (picture) {
    case ReportPicture::SignalMV:
        return QStringLiteral("omidra0.png");
    case ReportPicture::SignalU:
        return QStringLiteral("omidra.png");
    case ReportPicture::SignalY1:
        return QStringLiteral("omidra1.png");
    case ReportPicture::SignalY2:
        return QStringLiteral("omidra2.png");
    case ReportPicture::HistogramMV:
        return QStringLiteral("omidra_HMV.png");
    case ReportPicture::HistogramU:
        return QStringLiteral("omidra_HU.png");
    case ReportPicture::HistogramY1:
        return QStringLiteral("omidra_HY.png");
    case ReportPicture::HistogramY2:
        return QStringLiteral("omidra_HY1.png");
    case ReportPicture::Model:
        return QStringLiteral("omidra3.png");
    case ReportPicture::Responses:
        break;
    }
    return QStringLiteral("omidra4.png");
}

// Removes the ten pictures from `folder` (those that are there).
void DeleteReportPictures(const QString& folder);
