#include "base/ChartView.h"
#include "data/Unit_Hystogram.h"
#include "data/Unit_Obdelava_Large.h"
#include "report/ReportPictureNames.h"
#include "report/ReportPictures.h"
#include "support/MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

class ReportPage : public MainWindowFixture {
protected:
    ReportPage()
    {
        form->AttachWindows(nullptr, nullptr, &histogram, &large);
        form->PageControl1->setCurrentWidget(form->PorTab);
    }

    int PicturesIn(const QString& folder) const
    {
        int count = 0;
        for (ReportPicture picture : AllReportPictures)
            count += QFile::exists(folder + u'/' + ReportPictureFile(picture));
        return count;
    }

    TForm_Histogram histogram;
    TForm_Obdelava_Large large;
    QTemporaryDir dir;
};

} // namespace

TEST_F(ReportPage, WritesTheReportBesideItsPicturesAndOpensIt)
{
    dialogs.FileAnswers.push_back(dir.filePath(QStringLiteral("porocilo")));
    dialogs.DocumentApplication = false; // the status bar then says where the file is
    Find<QPushButton>("Button_Naredi_porocilo")->click();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join(u'\n').toStdString();
    const QString saved = dir.filePath(QStringLiteral("porocilo.docx"));
    EXPECT_TRUE(QFile::exists(saved));
    EXPECT_EQ(dialogs.OpenedDocuments, QStringList{saved});
    const QString status = form->StatusBar1->currentMessage();
    EXPECT_TRUE(status.contains(QDir::toNativeSeparators(saved)) && status.contains(u".docx ni"))
        << status.toStdString();
    EXPECT_EQ(PicturesIn(dir.path()), 0);
}

TEST_F(ReportPage, AFailedReportSavesNothingAndKeepsThePictures)
{
    Find<QLabel>("Label63")->setText(dir.filePath(QStringLiteral("missing.dotx")));
    dialogs.FileAnswers.push_back(dir.filePath(QStringLiteral("porocilo.docx")));
    Find<QPushButton>("Button_Naredi_porocilo")->click();
    ASSERT_EQ(dialogs.Errors.size(), 1);
    EXPECT_TRUE(dialogs.Errors[0].contains(QStringLiteral("missing.dotx")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("porocilo.docx"))));
    EXPECT_EQ(PicturesIn(dir.path()), 10);
    EXPECT_TRUE(dialogs.OpenedDocuments.isEmpty());
}

TEST_F(ReportPage, TheChosenTemplateIsShownWithItsFullName)
{
    const QString chosen = dir.filePath(QStringLiteral("predloga.dotx"));
    dialogs.FileAnswers.push_back(chosen);
    Find<QPushButton>("Button_IzberiPredlogo")->click();
    EXPECT_EQ(Find<QLabel>("Label63")->text(), QDir::toNativeSeparators(chosen));
    EXPECT_TRUE(dialogs.FileRequests.back().Filter.isEmpty());
}
