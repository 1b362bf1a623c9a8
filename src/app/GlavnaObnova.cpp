// Recovery of a record that a crash or a power cut left unsaved: the journal
// the run window kept of it (experiment/RecordJournal.h) is offered at the
// next start.

#include "app/Glavna.h"
#include "base/ErrorGuard.h"
#include "base/Errors.h"
#include "base/UserDialogs.h"
#include "data/DataFile.h"
#include "experiment/FormaEksperiment.h"
#include "experiment/RecordJournal.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>

#include <algorithm>

namespace {

// A time in the user's long time format without its time zone, as the data
// files write the time of saving.
QString TimeText(const QTime& time)
{
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    const QString format = QLocale().timeFormat(QLocale::LongFormat).remove(zone).trimmed();
    return QLocale().toString(time, format);
}

} // namespace

void TForm1::OfferRecordRecovery()
{
    Guard(this, [this] { OfferRecordRecovery(RecordJournal::DefaultFolder()); });
}

void TForm1::OfferRecordRecovery(const QString& folder)
{
    // The newest first; one record fits the store, so an older journal
    // waits for the next start once one is recovered.
    QStringList journals = LeftJournals(folder);
    std::reverse(journals.begin(), journals.end());
    for (const QString& path : journals) {
        RecoveredRecord record;
        try {
            record = ReadJournal(path);
        } catch (const VarkolError& e) {
            // Kept aside for a rescue by hand, and not offered again.
            QFile::rename(path, path + QStringLiteral(".neberljiv"));
            Dialogs().ShowError(
                this, QStringLiteral("Najden je nedokončan zapis eksperimenta, ki ga ni mogoče "
                                     "prebrati:\n%1")
                          .arg(QString::fromUtf8(e.what())));
            continue;
        }
        const JournalHeader& h = record.Header;
        const QLocale locale;
        const QString start = h.Start.isValid()
                                  ? locale.toString(h.Start.date(), QLocale::ShortFormat) +
                                        QStringLiteral(" ") + TimeText(h.Start.time())
                                  : QStringLiteral("?");
        const QString question =
            QStringLiteral("Najden je nedokončan zapis eksperimenta %1 (začetek %2, %3 vzorcev). "
                           "Ga obnovim?")
                .arg(h.Label.isEmpty() ? QStringLiteral("brez oznake")
                                       : QStringLiteral("\"%1\"").arg(h.Label),
                     start)
                .arg(record.Samples);
        if (!Dialogs().Ask(this, question)) {
            QFile::remove(path);
            continue;
        }
        StoreMeasurements(Store, record.Data);
        if (Eksperiment)
            Eksperiment->Journal.Adopt(path);
        PageControl1->setCurrentIndex(2);
        // As the end of a run hands its record over.
        ShowExperimentData(Edit8->text(), Edit_Actuator_Maximum->text(),
                           Edit_Actuator_Minimum->text(), Edit_Actuator_Velocity->text());
        if (h.Start.isValid()) {
            Label_Datum->setText(locale.toString(h.Start.date(), QLocale::ShortFormat));
            Label_Ura->setText(TimeText(h.Start.time()));
        }
        StatusBar1->showMessage(
            QStringLiteral("Obnovljen zapis eksperimenta: %1 vzorcev%2.")
                .arg(record.Samples)
                .arg(record.TornLineDropped
                         ? QStringLiteral(" (nedokončana zadnja vrstica je izpuščena)")
                         : QString()));
        return;
    }
}

void TForm1::DiscardRecordJournal()
{
    if (Eksperiment)
        Eksperiment->Journal.Discard();
}
