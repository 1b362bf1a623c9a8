#pragma once

// The node-opcua test server (tests/opc/uaserver/server.js) in a child
// process on 127.0.0.1: started on a free port, waited for by its ready
// line, stopped (or killed) at the end. Without node-opcua installed
// (scripts/test runs `npm ci` there) the tests that need it are skipped,
// unless VARKOL_REQUIRE_UA_SERVER is set, when they fail.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

#ifndef VARKOL_UA_SERVER_DIR
#error "VARKOL_UA_SERVER_DIR must name the folder of server.js"
#endif

class UaTestServer {
public:
    ~UaTestServer() { Stop(); }

    // Why the server cannot run here, or empty.
    static QString Missing()
    {
        const QString dir = QStringLiteral(VARKOL_UA_SERVER_DIR);
        if (QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty())
            return QStringLiteral("node is not installed");
        if (!QFileInfo::exists(dir + QStringLiteral("/node_modules/node-opcua")))
            return QStringLiteral("node-opcua is not installed (npm ci in %1)").arg(dir);
        return {};
    }
    static bool Required() { return qEnvironmentVariableIsSet("VARKOL_REQUIRE_UA_SERVER"); }

    // Starts the server (on `port`, or a free one); false with `error` set
    // when it did not report ready within 60 s.
    bool Start(QString& error, quint16 port = 0, const QStringList& extra = {})
    {
        Stop();
        if (port == 0) {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost, 0);
            port = probe.serverPort();
        }
        port_ = port;
        process_ = std::make_unique<QProcess>();
        process_->setWorkingDirectory(QStringLiteral(VARKOL_UA_SERVER_DIR));
        process_->setProcessChannelMode(QProcess::SeparateChannels);
        const QString pki = QDir::tempPath() + QStringLiteral("/varkol-ua-pki-%1").arg(port);
        process_->start(QStringLiteral("node"),
                        QStringList{QStringLiteral("server.js"), QStringLiteral("--port"),
                                    QString::number(port), QStringLiteral("--pki"), pki} +
                            extra);
        QElapsedTimer clock;
        clock.start();
        QByteArray out;
        while (clock.elapsed() < 60000) {
            if (process_->state() == QProcess::NotRunning) {
                error = QStringLiteral("the test server ended: ") +
                        QString::fromUtf8(process_->readAllStandardError().right(2000));
                return false;
            }
            process_->waitForReadyRead(50);
            out += process_->readAllStandardOutput();
            const qsizetype at = out.indexOf("READY ");
            if (at >= 0 && out.indexOf('\n', at) > at) {
                const qsizetype end = out.indexOf('\n', at);
                url_ = QString::fromUtf8(out.mid(at + 6, end - at - 6)).trimmed();
                output_ = out.mid(end + 1);
                answered_ = 0;
                return true;
            }
        }
        error = QStringLiteral("the test server did not report ready");
        return false;
    }

    // Switches one of the server's faults (the commands of server.js) and
    // waits, serving events, until the server says it holds; false if it did
    // not answer within `limitMs`.
    bool Send(const QString& command, int limitMs = 10000)
    {
        if (!process_)
            return false;
        const QByteArray line = command.toUtf8();
        process_->write(line + '\n');
        const QByteArray answer = "OK " + line + '\n';
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < limitMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            const qsizetype at = Output().indexOf(answer, answered_);
            if (at >= 0) {
                answered_ = at + answer.size();
                return true;
            }
            QThread::msleep(1);
        }
        return false;
    }

    // What the server has printed after its ready line.
    const QByteArray& Output()
    {
        if (process_)
            output_ += process_->readAllStandardOutput();
        return output_;
    }

    // SIGKILL: the server vanishes without closing anything.
    void Kill()
    {
        if (process_) {
            process_->kill();
            process_->waitForFinished(5000);
            process_.reset();
        }
    }
    void Stop()
    {
        if (process_) {
            process_->terminate();
            if (!process_->waitForFinished(5000))
                process_->kill();
            process_->waitForFinished(2000);
            process_.reset();
        }
    }

    const QString& Url() const { return url_; }
    quint16 Port() const { return port_; }

private:
    std::unique_ptr<QProcess> process_;
    QByteArray output_;      // the server's output after its ready line
    qsizetype answered_ = 0; // where the last answer awaited ended in it
    QString url_;
    quint16 port_ = 0;
};

// Starts `server` for a test, or skips / fails the test.
#define START_UA_TEST_SERVER(server, ...)                                                          \
    do {                                                                                           \
        const QString missing = UaTestServer::Missing();                                           \
        if (!missing.isEmpty()) {                                                                  \
            if (UaTestServer::Required())                                                          \
                FAIL() << missing.toStdString();                                                   \
            GTEST_SKIP() << missing.toStdString();                                                 \
        }                                                                                          \
        QString startError;                                                                        \
        ASSERT_TRUE((server).Start(startError __VA_OPT__(, ) __VA_ARGS__))                         \
            << startError.toStdString();                                                           \
    } while (false)
