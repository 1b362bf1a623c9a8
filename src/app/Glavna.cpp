#include "app/Glavna.h"

#include "base/TextComboBox.h"
#include "experiment/QueueFile.h"
#include "opc/ControllerWriteBack.h"
#include "opc/OpcClient.h"
#include "tuning/TuningComputation.h" // the drawn responses the window keeps

#include <QCloseEvent>
#include <QDate>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

TForm1::TForm1(Podatki& store, OpcServer& server, OpcServerBrowser& browser, QWidget* parent)
    : QMainWindow(parent), Store(store), dOPCServer1(server), dOPCServerBrowser1(browser)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" Varkol 1.0.7"));
    resize(1280, 860);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(BuildOpcPage(), QStringLiteral("OPC"));
    PageControl1->addTab(BuildExperimentPage(), QStringLiteral("Eksperiment"));
    PageControl1->addTab(BuildProcessingPage(), QStringLiteral("Obdelava"));
    PageControl1->addTab(BuildModelPage(), QStringLiteral("Model"));
    PageControl1->addTab(BuildControllerPage(), QStringLiteral("Regulator"));
    PageControl1->addTab(BuildReportPage(), QStringLiteral("Poročilo"));
    PageControl1->addTab(BuildAboutPage(), QStringLiteral("About"));
    PageControl1->setCurrentIndex(0);
    setCentralWidget(PageControl1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);

    Timer_ExperimentScheduler = new QTimer(this);
    Timer_ExperimentScheduler->setObjectName(QStringLiteral("Timer_ExperimentScheduler"));
    Timer_ExperimentScheduler->setInterval(500);

    WireOpcPage();
    WireExperimentPage();
    WireProcessingPage();
    WireModelPage();
    WireControllerPage();
    WireReportPage();
    OnEvent(Timer_ExperimentScheduler, &QTimer::timeout, &TForm1::Timer_ExperimentSchedulerTimer);

    Guard(this, [this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::closeEvent(QCloseEvent* event)
{
    QString unsaved;
    if (RecordUnsaved && ModelUnsaved)
        unsaved = QStringLiteral("Posnetek eksperimenta in model nista shranjena.");
    else if (RecordUnsaved)
        unsaved = QStringLiteral("Posnetek eksperimenta ni shranjen.");
    else if (ModelUnsaved)
        unsaved = QStringLiteral("Model ni shranjen.");
    if (!unsaved.isEmpty() && !Dialogs().Ask(this, unsaved + QStringLiteral(" Zaprem program?"))) {
        event->ignore();
        return;
    }
    DiscardRecordJournal(); // whatever it kept is saved or given up
    QMainWindow::closeEvent(event);
}

void TForm1::AttachWindows(TEksperiment* eksperiment, TForm_SamodNastav* samodNastav,
                           TForm_Histogram* histogram, TForm_Obdelava_Large* obdelavaLarge)
{
    Eksperiment = eksperiment;
    Form_SamodNastav = samodNastav;
    Form_Histogram = histogram;
    Form_Obdelava_Large = obdelavaLarge;
}

void TForm1::FormCreate()
{
    AutoSetupInProgress = false;

    // Servers of data access 1.0 and 2.0 and of alarms and events 1.0 on
    // this computer; an empty list leaves the choice empty.
    const unsigned kinds =
        KindBit(OpcServerKind::DA10) | KindBit(OpcServerKind::DA20) | KindBit(OpcServerKind::AE10);
    ComboBox2->clear();
    for (const ServerListEntry& entry : dOPCServerBrowser1.ListServers(kinds, QString()))
        ComboBox2->addItem(entry.ProgID);
    ComboBox2->SetItemIndex(ComboBox2->count() > 0 ? 0 : -1);

    DateTimePicker1->setDate(QDate::currentDate());
    ComboBox3->SetItemIndex(0);
    ComboBox4->SetItemIndex(0);

    WriteBackGroup = dOPCServer1.AddGroup(QStringLiteral("SkupReg"));
    WriteBack = std::make_unique<ControllerWriteBack>(dOPCServer1, *WriteBackGroup);

    QueueDirs.clear();
    Queue = ExperimentQueue();
    QueueFileName = DefaultQueueFileName();
    WorkDir = QDir::toNativeSeparators(QDir::currentPath());

    Image_Quality_Red->hide();
    Image_Quality_Orange->hide();
    Image_Quality_Yellow->hide();
    Image_Quality_Green->hide();

    Label_Verzija->setText(windowTitle());
}
