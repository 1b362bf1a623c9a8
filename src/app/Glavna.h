#pragma once

// The main window: one page control that leads the user through the work on
// one control loop (OPC tags, experiment, processing, model, controller,
// report, about). The window owns the loop's state: the tag table, the
// experiment parameters, the queue of automatic experiments and the OPC
// connection with its write-back group.
//
// Every control is a member whose objectName is its member name. Handlers
// are named after their control and event and run inside Guard(), so a
// failure is shown to the user and abandons the handler. The members and
// handlers of each page are declared together below; each page's code lives
// in its own file (Glavna<Page>.cpp).
//
// Check boxes, radio buttons, radio groups and scroll bars run their handler
// on every change of state, whether the user or the program made it (loading
// settings relies on this); combo boxes run their Change handler only when
// the user picks or types.

#include "experiment/ExperimentQueue.h"
#include "opc/LoopTags.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <utility>

class ClickableChartView;
class MaskedTimeEdit;
class OpcGroup;
class OpcServer;
class OpcServerBrowser;
class Podatki;
class ControllerWriteBack;
struct ChainResult;
struct ExperimentSettings;
struct WindowChoosers;
struct WriteBackPlan;
struct RunOutcome;
struct RunPlan;
class QCheckBox;
class QDateEdit;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStatusBar;
class QTabWidget;
class QTimer;
class RadioGroup;
struct ReportInputs;
struct ReportPictureCharts;
struct ResponseSet;
class StringGrid;
class TEksperiment;
class FrequencyResponseWindow;
class TForm_Histogram;
class TForm_Obdelava_Large;
class TForm_SamodNastav;
class TextComboBox;
enum class ProcessedSignal;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `store` is the one measurement store; `server` and `browser` are the
    // OPC connection and server enumerator of the window. All three must
    // outlive the window.
    TForm1(Podatki& store, OpcServer& server, OpcServerBrowser& browser, QWidget* parent = nullptr);
    ~TForm1() override;

    // The auxiliary windows, created after the main window (see
    // VarkolWindows.h); any of them may be null in tests that do not need it.
    void AttachWindows(TEksperiment* eksperiment, TForm_SamodNastav* samodNastav,
                       TForm_Histogram* histogram, TForm_Obdelava_Large* obdelavaLarge);

    Podatki& Store;
    OpcServer& dOPCServer1;
    OpcServerBrowser& dOPCServerBrowser1;
    TEksperiment* Eksperiment = nullptr;
    TForm_SamodNastav* Form_SamodNastav = nullptr;
    TForm_Histogram* Form_Histogram = nullptr;
    TForm_Obdelava_Large* Form_Obdelava_Large = nullptr;

    // ===== Window and shared state =========================================
    QTabWidget* PageControl1 = nullptr;
    QWidget* OPCTab = nullptr;
    QWidget* EkspTab = nullptr;
    QWidget* ObdTab = nullptr;
    QWidget* ModTab = nullptr;
    QWidget* RegTab = nullptr;
    QWidget* PorTab = nullptr;
    QWidget* TabSheet1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    // Set while the scheduler copies the automatic-experiment settings into
    // the controls; the change handlers of the model and controller pages
    // then skip their recomputation.
    bool AutoSetupInProgress = false;
    // Directory of the last settings file saved; initial directory of the
    // file dialogs. The current directory at start.
    QString WorkDir;
    // Directory of each queued experiment, parallel to the two queue memos.
    QStringList QueueDirs;
    // The queued automatic experiments; the two memos and QueueDirs show
    // them. Saved to QueueFileName on every change.
    ExperimentQueue Queue;
    QString QueueFileName;
    // How many entries came back at start, said beside the countdown until
    // the queue changes.
    QString QueueNote;
    // The group "SkupReg" that carries the controller parameters.
    OpcGroup* WriteBackGroup = nullptr;
    // Seconds since the last step event and step events so far of the
    // running experiment.
    double TimeSinceStep = 0;
    int StepIndex = 0;

    void FormCreate();

    // Opens each file on its page as the page's load button would: data
    // files (.vkd, .txt, .dat) on "Obdelava", .vkm on "Model", .vkc on
    // "Regulator", .vkx on "Eksperiment"; another name by its first line. A
    // file that fails shows its message and the next one is opened. The page
    // of the last file opened is shown. Relative names are taken from the
    // current directory.
    void OpenFiles(const QStringList& fileNames);
    // At start: the journal of a record left behind by a crash or a power
    // cut is offered for recovery; recovered, the record is on the processing
    // page as after a finished run, and its journal stays until the record is
    // saved or discarded. The journals are in the user's data folder, or in
    // `folder`.
    void OfferRecordRecovery();
    void OfferRecordRecovery(const QString& folder);
    // The store's record was saved or discarded: its journal goes.
    void DiscardRecordJournal();

    // Set while a run starts: the run window reports the tags the server
    // refuses, so the OPC layer's own report is not shown.
    bool ItemReportsMuted = false;
    // Work that would be lost on closing: a recorded run that was not saved
    // to a data file, and a model (identified or typed) that was not saved.
    // Closing the window then asks first.
    bool RecordUnsaved = false;
    bool ModelUnsaved = false;

    // ===== OPC page (OPCTab) ===============================================
    QGroupBox* GroupBox_Server = nullptr;
    TextComboBox* ComboBox2 = nullptr; // servers, by ProgID
    QPushButton* PoveziOPCStreznik = nullptr;
    QPushButton* PrekiniOPCStreznik = nullptr;
    QLabel* Label54 = nullptr; // server state after "Status:"
    QGroupBox* GroupBox_Tags = nullptr;
    StringGrid* OPCTabela = nullptr; // 2 x 20: tag, description; row = role
    // RadioButton1..18: the role of the row beside them; one exclusive group.
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    QRadioButton* RadioButton6 = nullptr;
    QRadioButton* RadioButton7 = nullptr;
    QRadioButton* RadioButton8 = nullptr;
    QRadioButton* RadioButton9 = nullptr;
    QRadioButton* RadioButton10 = nullptr;
    QRadioButton* RadioButton11 = nullptr;
    QRadioButton* RadioButton12 = nullptr;
    QRadioButton* RadioButton13 = nullptr;
    QRadioButton* RadioButton14 = nullptr;
    QRadioButton* RadioButton15 = nullptr;
    QRadioButton* RadioButton16 = nullptr;
    QRadioButton* RadioButton17 = nullptr;
    QRadioButton* RadioButton18 = nullptr;
    std::array<QRadioButton*, TagRoleCount> RoleButtons{}; // the same, by role
    QPushButton* IzberiAjtemKnof = nullptr;
    RadioGroup* RadioGroup4 = nullptr; // R/A switching of controller 1
    QLabel* Label14 = nullptr;
    TextComboBox* ComboBox3 = nullptr;
    RadioGroup* RadioGroup5 = nullptr; // R/A switching of controller 2
    QLabel* Label15 = nullptr;
    TextComboBox* ComboBox4 = nullptr;
    // How long "Naloži v regulator" waits for good quality of the P item
    // before it gives up without writing [ms].
    int WriteBackQualityWaitMs = 3000;

    // The radio button of a role, and the role whose button is checked.
    QRadioButton* RoleButton(TagRole role) const;
    std::optional<TagRole> CheckedRole() const;
    // The tag table and the switching modes are the view of the loop's tags.
    LoopTags CurrentLoopTags() const;
    // Sets the table and the modes (a mode that changes runs its click
    // handler).
    void ShowLoopTags(const LoopTags& tags);

    void PoveziOPCStreznikClick();
    void PrekiniOPCStreznikClick();
    void dOPCServer1Disconnect();
    void dOPCServer1ItemErrorReport(const QString& report);
    void OPCTabelaSelectCell(int column, int row);
    void OPCTabelaDblClick();
    void IzberiAjtemKnofClick();
    void RadioGroup4Click();
    void RadioGroup5Click();

    // ===== Experiment page (EkspTab) =======================================
    QGroupBox* GroupBox_Mode = nullptr;
    QRadioButton* RadioRocno = nullptr;
    QRadioButton* RadioAvtomatsko = nullptr;
    QGroupBox* GroupBox_Parameters = nullptr;
    QLineEdit* CasVzorcenjaEdit = nullptr;
    MaskedTimeEdit* CajtZacetka = nullptr;
    QDateEdit* DateTimePicker1 = nullptr;
    QPushButton* Button1 = nullptr; // "Nastavi sedanji čas"
    QLineEdit* ZacetniVhodEdit = nullptr;
    QLineEdit* CasCakanjaEdit = nullptr;
    QLineEdit* VelikostStopniceEdit = nullptr;
    QLineEdit* CasStopniceEdit = nullptr;
    QLineEdit* SteviloStopnicEdit = nullptr;
    QCheckBox* CheckBox_ObeSmeri = nullptr;
    QCheckBox* CheckBox_Zaprtozancni = nullptr;
    QCheckBox* CheckBox_ZZPoPoizkusu = nullptr;
    QCheckBox* OhraniZacetniVhod = nullptr;
    QCheckBox* CheckBox_NePisi = nullptr;
    QPushButton* AktivirajEksperiment = nullptr;
    QPushButton* NaloziNastavitve = nullptr;
    QPushButton* ShraniNastavitve = nullptr;
    QPushButton* Button10 = nullptr; // "Ostale nastavitve samodejnega poizkusa"
    QGroupBox* GroupBox_Queue = nullptr;
    QPlainTextEdit* SeznamCakajocihEkspCas = nullptr;    // start moments
    QPlainTextEdit* SeznamCakajocihEkspOznaka = nullptr; // labels
    QGroupBox* GroupBox_MVSlider = nullptr;
    QLineEdit* Edit_MVMax = nullptr;
    QLineEdit* Edit_MVMin = nullptr;
    QLineEdit* Edit_MVStep = nullptr;
    QGroupBox* GroupBox_Sequencer = nullptr;
    QCheckBox* CheckBox_Sekvencer = nullptr;
    StringGrid* StringGrid_Sekvencer = nullptr; // 2 x 10: "Vhod", "Izhod"
    // 500 ms; runs only while queued experiments wait.
    QTimer* Timer_ExperimentScheduler = nullptr;

    void RadioRocnoClick();
    void RadioAvtomatskoClick();
    void CheckBox_NePisiClick();
    void OhraniZacetniVhodClick();
    void Button1Click();
    void Button10Click();
    void SeznamCakajocihEkspCasKeyDown(int key);
    void AktivirajEksperimentClick();
    void Timer_ExperimentSchedulerTimer();
    // At program start: the queue saved when the program last ran, with a
    // status-bar line saying how many entries came back; the scheduler runs
    // when any wait (those already due run one after the other).
    void RestoreQueue();
    // The queue changed: the memos show it and it is saved.
    void QueueChanged();
    // Carries out an experiment in the run window and, when it has finished,
    // hands its record to the processing page (ShowExperimentData with the
    // page's filter and actuator texts, the analysis start of an automatic
    // run) and follows "Preklop v ročno". Throws VarkolError with the reason
    // when the run did not start.
    RunOutcome RunExperiment(const RunPlan& plan);
    void ShraniNastavitveClick();
    void NaloziNastavitveClick();
    // "Naloži nastavitve" with `fileName` chosen.
    void LoadSettingsFile(const QString& fileName);
    // The values of a settings file as the controls of this window and of
    // the automatic-experiment settings window show them now.
    ExperimentSettings CurrentSettings() const;
    // Sets the controls from the values of a settings file, in the order of
    // its lines; the click handlers of the changed check boxes and radio
    // buttons run, so the enabled states follow. The start date is kept.
    void ApplySettings(const ExperimentSettings& settings);

    // ===== Processing page (ObdTab) ========================================
    ClickableChartView* Chart_MV = nullptr;
    ClickableChartView* Chart_U = nullptr;
    ClickableChartView* Chart_Y = nullptr;
    ClickableChartView* Chart2 = nullptr; // Y2
    QLineSeries* Series_MV = nullptr;
    QLineSeries* Series_U = nullptr;
    QLineSeries* Series_Y = nullptr;
    QLineSeries* Series_Y2 = nullptr;
    QLabel* Label_MaksMV1 = nullptr;
    QLabel* Label_MinMV1 = nullptr;
    QLabel* Label_STDMV1 = nullptr;
    QLabel* Label_MaksU1 = nullptr;
    QLabel* Label_MinU1 = nullptr;
    QLabel* Label_STDU1 = nullptr;
    QLabel* Label_MaksY1 = nullptr;
    QLabel* Label_MinY1 = nullptr;
    QLabel* Label_STDY1 = nullptr;
    QLabel* Label_MaksY2 = nullptr;
    QLabel* Label_MinY2 = nullptr;
    QLabel* Label_STDY2 = nullptr;
    QScrollBar* ScrollBar3 = nullptr; // experiment window start
    QScrollBar* ScrollBar4 = nullptr; // experiment window end
    QGroupBox* GroupBox_Columns = nullptr;
    QScrollBar* ScrollBar_MV = nullptr; // column of MV
    QLineEdit* Edit_Stolpec_MV = nullptr;
    QLabel* Label_MVDescription = nullptr;
    QScrollBar* ScrollBar1 = nullptr; // column of U
    QLineEdit* Edit_Stolpec_U = nullptr;
    QLabel* Label22 = nullptr;
    QScrollBar* ScrollBar2 = nullptr; // column of Y1
    QLineEdit* Edit_Stolpec_Y = nullptr;
    QLabel* Label20 = nullptr;
    QScrollBar* ScrollBar5 = nullptr; // column of Y2
    QLineEdit* Edit_Stolpec_Y1 = nullptr;
    QLabel* Label68 = nullptr;
    QGroupBox* GroupBox_Filter = nullptr;
    QLineEdit* Edit8 = nullptr; // filter time constant [s]
    QGroupBox* GroupBox_Actuator = nullptr;
    QLineEdit* Edit_Actuator_Maximum = nullptr;
    QLineEdit* Edit_Actuator_Minimum = nullptr;
    QLineEdit* Edit_Actuator_Velocity = nullptr;
    QGroupBox* GroupBox_Data = nullptr;
    QLabel* Label_Ts = nullptr;
    QLabel* Label_Ns = nullptr;
    QLabel* Label_Datum = nullptr;
    QLabel* Label_Ura = nullptr;
    QLabel* Label_Ime = nullptr;
    QLabel* Label_ZacetekOkna = nullptr; // window start as sample and time
    QLabel* Label_KonecOkna = nullptr;
    QPushButton* Button_ShranjenoOkno = nullptr; // "Shranjeno okno"
    QPushButton* Button2 = nullptr;              // "Uporabi filter in omejitve"
    QPushButton* Button_Izracun = nullptr;       // "Izračun modela"
    QPushButton* Button3 = nullptr;              // "Naloži iz datoteke"
    QPushButton* Button4 = nullptr;              // "Shrani v datoteko"

    void Button2Click();
    void ScrollBar_MVChange();
    void ScrollBar1Change();
    void ScrollBar2Change();
    void ScrollBar5Change();
    void ScrollBar3Change();
    void ScrollBar4Change();
    void Button3Click();
    // "Naloži iz datoteke" with `fileName` chosen.
    void LoadDataFile(const QString& fileName);
    void Button4Click();
    void Button_IzracunClick();
    void Button_ShranjenoOknoClick();
    // What the processing page shows: the data file's name or "posnetek
    // eksperimenta"; empty while the page shows no data. The window stored
    // with the data (start, end) for "Shranjeno okno".
    QString RecordSource;
    std::pair<int, int> StoredWindow{1, 1};
    void Chart_MVRightClick();
    void Chart_MVDblClick();
    void Chart_URightClick();
    void Chart_UDblClick();
    void Chart_YRightClick();
    void Chart_YDblClick();
    void Chart2RightClick();
    void Chart2DblClick();
    // Called when an experiment has ended: resets the choosers to the
    // standard columns, conditions and plots the new data. Throws
    // ConversionError when a text is not a number (the choosers are reset
    // already, the processed signals and plots stay as they were).
    void ShowExperimentData(const QString& filterTime, const QString& upperLimit,
                            const QString& lowerLimit, const QString& openingTime);
    // Redraws the chart of one processed signal over the samples start..end
    // (those beyond SampleCount left out) with its maximum, minimum and
    // standard deviation, the vertical axis 10 % of the spread beyond them.
    void PlotSignal(ProcessedSignal signal, int start, int end);

    // ===== Model page (ModTab) =============================================
    ClickableChartView* Chart_Model = nullptr;
    QLineSeries* LineSeries1 = nullptr; // measured response
    QLineSeries* LineSeries2 = nullptr; // model output
    QCheckBox* CheckBox_Model_Outer = nullptr;
    // "Natančnejši model (izhodna napaka)": "Izračun modela" refines the
    // identified models and the page shows the refined ones.
    QCheckBox* CheckBox_Model_Refined = nullptr;
    QGroupBox* GroupBox_Model = nullptr;
    QLineEdit* Edit_Gain = nullptr;
    QLabel* Label_DGain = nullptr;
    QLineEdit* Edit_Time = nullptr;
    QLabel* Label_DTime = nullptr;
    QLineEdit* Edit_Delay = nullptr;
    QLabel* Label_DDelay = nullptr; // L's interval, shown with a refined model only
    QLabel* Label_STD = nullptr;
    QLabel* Label_Rel_Pogresek = nullptr;
    QLabel* Label_Kvaliteta = nullptr;
    QLabel* Label_IzvorModela = nullptr; // the data file and window of the model
    QLabel* Image_Quality_Green = nullptr;
    QLabel* Image_Quality_Yellow = nullptr;
    QLabel* Image_Quality_Orange = nullptr;
    QLabel* Image_Quality_Red = nullptr;
    QPushButton* Button5 = nullptr;    // "Uporabi model"
    QPushButton* Button6 = nullptr;    // "Naloži model"
    QPushButton* Button7 = nullptr;    // "Shrani model"
    QPushButton* Button_PID = nullptr; // "Izračun PID parametrov"

    void CheckBox_Model_OuterClick();
    void Button5Click();
    void Button6Click();
    // "Naloži model" with `fileName` chosen.
    void LoadModelFile(const QString& fileName);
    void Button7Click();
    void Button_PIDClick();
    // Identifies the inner and outer models over the window start..end
    // (and refines them when CheckBox_Model_Refined is ticked), shows the
    // outer one when `showOuter`, else the inner one, and checks the
    // sampling period against both.
    void IdentifyModels(int windowStart, int windowEnd, bool showOuter);
    // Fills the page from the outer or inner model of the store: the plot,
    // the values with their fixed decimals and the grade; a refined model
    // with its three intervals.
    void ShowModel(bool outer);
    // L's interval beside Edit_Delay, or (empty text) neither it nor its caption.
    void ShowDeadTimeInterval(const QString& text);
    // Draws the measured response and the model output over samples 1..n of
    // the identification window, the vertical axis a tenth of the span
    // beyond both curves.
    void PlotModel(const double* measured, const double* modelOutput, int n);
    // The grade text and its one visible lamp.
    void GradeModel(double relativeError);
    void HideQualityLamps();
    // The sampling warning in the status bar, or an empty status bar; with
    // a refined model a note that it is the one shown.
    void CheckSampling();

    // ===== Controller page (RegTab) ========================================
    QGroupBox* GroupBox_Method = nullptr;
    TextComboBox* ComboBox1 = nullptr; // tuning method
    QGroupBox* GroupBox_Robust = nullptr;
    QScrollBar* ScrollBar_Robust = nullptr;
    QLabel* Label_Kp_Cascade = nullptr;
    QGroupBox* GroupBox_I = nullptr;
    QLabel* Label_Ki = nullptr;
    QGroupBox* GroupBox_P = nullptr;
    QLabel* Label_Kp_P = nullptr;
    QGroupBox* GroupBox_PI = nullptr;
    QLabel* Label_PI_Kp = nullptr;
    QLabel* Label_PI_Ti = nullptr; // shows Ki
    QGroupBox* GroupBox_PID = nullptr;
    QLabel* Label_PID_Kp = nullptr;
    QLabel* Label_PID_Ti = nullptr; // shows Ki
    QLabel* Label_PID_Td = nullptr; // shows Kd
    QLabel* Label_Priporocljiv = nullptr;
    QLineEdit* Edit_Vzorcenje = nullptr; // closed-loop sampling time [s]
    RadioGroup* RadioGroup_Motnja = nullptr;
    QCheckBox* CheckBox_CascadeReg = nullptr;
    ClickableChartView* Chart1 = nullptr;
    QLineSeries* LineSeries3 = nullptr; // closed loop, I
    QLineSeries* Series3 = nullptr;     // closed loop, PI
    QLineSeries* Series4 = nullptr;     // closed loop, PID
    QLineSeries* LineSeries4 = nullptr; // open loop
    QLineSeries* Series5 = nullptr;     // closed loop, P
    QGroupBox* GroupBox_Scaled = nullptr;
    TextComboBox* ComboBox_Regulator = nullptr; // controller form
    RadioGroup* RadioGroup_IzbiraTipaReg = nullptr;
    QLineEdit* Edit_Reg_ScaleP = nullptr;
    QLineEdit* Edit_Reg_ScaleI = nullptr;
    QLineEdit* Edit_Reg_ScaleD = nullptr;
    QLabel* Label_Reg_Name_Kp = nullptr;
    QLabel* Label_Reg_Name_Ki = nullptr;
    QLabel* Label_Reg_Name_Kd = nullptr;
    QLineEdit* Edit_Reg_Kp = nullptr;
    QLineEdit* Edit_Reg_Ki = nullptr;
    QLineEdit* Edit_Reg_Kd = nullptr;
    QLabel* Label_LabOjacSekv = nullptr;
    QLabel* Label_OjacSekv = nullptr;
    QPushButton* Button16 = nullptr;              // "Naloži v regulator"
    QPushButton* Button_PovrniPrejsnje = nullptr; // "Povrni prejšnje"
    QPushButton* Button9 = nullptr;               // "Shrani v datoteko"
    QPushButton* Button8 = nullptr;               // "Naloži iz datoteke"
    // "Robustnost in kakovost": rows I, P, PI, PID; columns Ms, GM, PM,
    // overshoot (or peak), settling time, IAE. Label_Rob[row][column] is
    // named "Label_Rob_<row>_<column>" (Ms, GM, PM, Odziv, Umiritev, IAE).
    QGroupBox* GroupBox_Robustnost = nullptr;
    std::array<QLabel*, 4> Label_RobRow{};  // "Label_Rob_I" .. "Label_Rob_PID"
    std::array<QLabel*, 6> Label_RobHead{}; // "Label_RobHead_Ms" ..
    std::array<std::array<QLabel*, 6>, 4> Label_Rob{};
    QLabel* Label_RobustMs = nullptr; // Ms of the PID loop, beside the slider
    QLineEdit* Edit_MsCilj = nullptr; // the Ms target
    QPushButton* Button_MsCilj = nullptr;
    QPushButton* Button_FrekvencniOdziv = nullptr;
    FrequencyResponseWindow* Form_FrekvencniOdziv = nullptr; // made at the first click
    // The drawn loops of the last recomputation that drew them, with their
    // figures (for the frequency-response window).
    std::unique_ptr<ResponseSet> DrawnResponses;
    // The gains, the robustness factor and the sampling time of the simulated
    // controller (ClosedLoopTs) of the last recomputation are kept in the
    // store, where the automatic chain and the report read them.

    void ComboBox1Change();
    void ScrollBar_RobustChange();
    void RadioGroup_MotnjaClick();
    void CheckBox_CascadeRegClick();
    void Edit_VzorcenjeKeyPress(); // Enter in the edit
    void ComboBox_RegulatorChange();
    void RadioGroup_IzbiraTipaRegClick();
    void Edit_Reg_ScalePKeyPress(); // Enter in the edit
    void Edit_Reg_ScaleIKeyPress(); // Enter in the edit
    void Edit_Reg_ScaleDKeyPress(); // Enter in the edit
    void Button9Click();
    void Button8Click();
    // "Naloži iz datoteke" of the controller page with `fileName` chosen.
    void LoadControllerFile(const QString& fileName);
    void Button16Click();
    void Button_PovrniPrejsnjeClick();
    void Button_FrekvencniOdzivClick();
    void Button_MsCiljClick();
    // A tuning has been computed for the present model; "Naloži v regulator"
    // refuses to write until one has.
    bool TuningCurrent = false;
    // Tunes all controller types by `method`, scales by the robustness
    // position, shows the gains and simulates the responses.
    void RecomputeTuning(int method, int robustPosition, int responseChoice,
                         const QString& samplingTimeText, bool cascade);
    // Shows the gains of controller `type` in controller form `form`.
    void ShowControllerForm(int form, int type, bool cascade);
    // Draws the open-loop and the four closed-loop responses into Chart1.
    void PlotResponses(const ResponseSet& responses);
    // Marks the closed-loop sampling time when it is above the recommended one.
    void ShowSamplingAdvice(double ts, double recommended);
    // Fills the robustness table and the Ms label from drawn responses (to
    // the disturbance or the reference), keeps them for the frequency
    // window and refreshes that window when it is open.
    void ShowRobustness(ResponseSet&& responses, bool disturbance);
    // Emphasises the chosen controller type's row; the frequency window,
    // when open, draws that type's Ms.
    void ShowChosenType();

    // ===== Report page (PorTab) ============================================
    QPushButton* Button_Naredi_porocilo = nullptr;
    QGroupBox* GroupBox_ReportContent = nullptr;
    QCheckBox* CheckBox1 = nullptr; // "Obdelava"
    QCheckBox* CheckBox2 = nullptr; // "Model"
    QCheckBox* CheckBox3 = nullptr; // "Regulator"
    QLabel* Label63 = nullptr;      // template
    QPushButton* Button_IzberiPredlogo = nullptr;

    void Button_Naredi_porociloClick();
    void Button_IzberiPredlogoClick();
    // The report's inputs as the window shows them now, for the document
    // `fileName`, from the report page's switches and template.
    ReportInputs CurrentReportInputs(const QString& fileName) const;
    // The charts of the report's pictures: the large signal view's, the
    // histogram view's, Chart_Model and Chart1, at their sizes on screen.
    // Throws VarkolError when the views are not attached.
    ReportPictureCharts ReportCharts() const;

    // ===== About page (TabSheet1) ==========================================
    QLabel* Image_About = nullptr; // 897 x 446 picture
    QLabel* Label_Verzija = nullptr;
    QLabel* Label83 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Builders and wiring, one pair per page, each in the page's file.
    QWidget* BuildOpcPage();
    void WireOpcPage();
    QWidget* BuildExperimentPage();
    void WireExperimentPage();
    QWidget* BuildProcessingPage();
    void WireProcessingPage();
    QWidget* BuildModelPage();
    void WireModelPage();
    QWidget* BuildControllerPage();
    void WireControllerPage();
    // The group "Robustnost in kakovost" and the Ms controls of the slider
    // group (GlavnaRobustnost.cpp).
    QGroupBox* BuildRobustnessGroup();
    void AddMsControls(QGridLayout* sliderGroup);
    void WireRobustness();
    // RecomputeTuning and ShowControllerForm with the page's own settings.
    void RecomputeTuningFromPage();
    void ShowControllerFormFromPage();
    // "Izračun PID parametrov": the controller page, with the sampling time of
    // the recorded data as the closed-loop one, recomputed.
    void OpenTuningOfRecordedData();
    QWidget* BuildReportPage();
    void WireReportPage();
    QWidget* BuildAboutPage();

    // New data on the processing page: their source and stored window.
    void NewRecordShown(const QString& source, const WindowChoosers& window);
    // The part of the experiment page's enabling that "Ne piši v OPC" adds.
    void ApplyNoWriteSet();
    // "Shrani nastavitve": asks for a file under the proposed name and
    // writes the settings; the chosen file name, empty when cancelled.
    QString SaveSettingsWithDialog();
    // Asks, then writes the plan to controller 1 and shows what went where.
    void WriteToController(const WriteBackPlan& plan);
    std::unique_ptr<ControllerWriteBack> WriteBack; // on WriteBackGroup
    // "Aktiviraj eksperiment" for a trial run by hand, with the page's
    // settings after the sampling period and the wait have been corrected.
    void ActivateManualTrial(const ExperimentSettings& settings);
    // ... and for an automatic trial: checks the start, saves the settings
    // and queues the experiment.
    void ActivateAutomaticTrial(const ExperimentSettings& settings);
    // The scheduler's work for the entry that is due: its settings file
    // applied, the run in the window (nobody at the plant), then the
    // automatic chain. Throws ChainFailure naming the step that failed.
    void RunQueuedExperiment(const QueueEntry& entry);
    // Step 9 of a queued run: the automatic-experiment settings into the
    // model, controller and report pages.
    void CopyAutomaticSettings(const ExperimentSettings& settings);
    // The pages after the chain: the saved record, the model, the tuning.
    void ShowChainResult(const QueueEntry& entry, const ChainResult& result);
    void ShowQueueCountdown(qint64 nowMs);
    // The queue memos as lists of entries.
    QStringList QueueLines(const QPlainTextEdit* memo) const;
    void SetQueueLines(QPlainTextEdit* memo, const QStringList& lines);

    // Runs `handler` inside Guard() whenever `sender` emits `signal`.
    template <typename Sender, typename Signal>
    void OnEvent(Sender* sender, Signal signal, void (TForm1::*handler)());
};

#include "base/ErrorGuard.h"

template <typename Sender, typename Signal>
void TForm1::OnEvent(Sender* sender, Signal signal, void (TForm1::*handler)())
{
    connect(sender, signal, this,
            [this, handler] { Guard(this, [this, handler] { (this->*handler)(); }); });
}
