#pragma once

// Runs the built varkol-cli (VARKOL_CLI_PATH) with a locale and collects its
// exit code, JSON output and error text.

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

struct CliResult {
    int ExitCode = -1;
    QJsonObject Json;
    QString Error;
};

inline CliResult RunCli(const QStringList& arguments, const QString& locale = QStringLiteral("C"))
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), locale);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VARKOL_CLI_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    CliResult result;
    result.ExitCode = process.exitCode();
    result.Json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    result.Error = QString::fromUtf8(process.readAllStandardError());
    return result;
}
