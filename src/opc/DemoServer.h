#pragma once

// The demo server of the default registry: a control loop that behaves like
// a small plant, so that the whole program can be tried without one.
//
// Address space:
//   Loop1.MV, .U, .Y1, .Y2               the loop signals (R8; only MV writable)
//   Loop1.Controller1.P, .I, .D          controller parameters (R8, writable)
//   Loop1.Controller1.RA, .Manual, .Auto manual/automatic switch and commands (I4, writable)
//   Loop1.Controller2.*                  the same for the outer controller
//   Boiler.*, Pump1.*, Server.*          unrelated tags of several types
//
// Every step of the plant (100 ms of process time, on a timer) computes
//   U = MV - 10, Y1 = 20 + lag1, Y2 = 30 + lag2 (+ small noise),
// where lag1 follows U with weights 0.9/0.1 and lag2 follows lag1 with
// weights 0.95/0.05 per step. The controller tags keep what is written.

#include "opc/InProcessServer.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <random>

namespace DemoTags {
inline const QString MV = QStringLiteral("Loop1.MV");
inline const QString U = QStringLiteral("Loop1.U");
inline const QString Y1 = QStringLiteral("Loop1.Y1");
inline const QString Y2 = QStringLiteral("Loop1.Y2");
inline const QString P1 = QStringLiteral("Loop1.Controller1.P");
inline const QString I1 = QStringLiteral("Loop1.Controller1.I");
inline const QString D1 = QStringLiteral("Loop1.Controller1.D");
inline const QString RA1 = QStringLiteral("Loop1.Controller1.RA");
inline const QString Manual1 = QStringLiteral("Loop1.Controller1.Manual");
inline const QString Auto1 = QStringLiteral("Loop1.Controller1.Auto");
} // namespace DemoTags

inline const QString DemoServerProgID = QStringLiteral("Varkol.DemoServer.1");

// The simulated plant behind the Loop1 tags of `server`; a child of the server.
class DemoLoopPlant : public QObject {
    Q_OBJECT
public:
    static constexpr int StepMilliseconds = 100;

    explicit DemoLoopPlant(InProcessServer& server);

    // One step of process time: reads MV, writes U, Y1 and Y2.
    void Step();
    // Noise on the measurements (standard deviations 0.2 and 0.1); on at start.
    void SetNoise(bool on) { noise_ = on; }
    // The step timer (running from construction).
    QTimer& StepTimer() { return timer_; }

private:
    InProcessServer& server_;
    QTimer timer_;
    double lag1_ = 0;
    double lag2_ = 0;
    bool noise_ = true;
    std::mt19937 random_;
};

// A new demo server with its address space and its running plant.
std::shared_ptr<InProcessServer> CreateDemoServer();
// The plant of a server made by CreateDemoServer (nullptr for other servers).
DemoLoopPlant* DemoPlantOf(InProcessServer& server);
// The program's registry: the demo server only.
std::shared_ptr<InProcessRegistry> CreateDefaultRegistry();
