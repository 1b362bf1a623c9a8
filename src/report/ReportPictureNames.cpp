#include "report/ReportPictureNames.h"

#include <QFile>

void DeleteReportPictures(const QString& folder)
{
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    for (ReportPicture picture : AllReportPictures)
        QFile::remove(base + ReportPictureFile(picture));
}
