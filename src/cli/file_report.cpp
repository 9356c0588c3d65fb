#include "cli/file_report.h"

#include "localization/language.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace pixmorrow::cli {

namespace {

QByteArray compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString diskSpace(const RunTotals& totals) {
    return totals.diskSpaceCaption() + u' ' + totals.diskSpaceText();
}

}  // namespace

QString fileLine(const FileReport& report) {
    const FileResult& r = report.result;
    if (!report.converted())
        return r.source + QStringLiteral(": ") + report.error;
    return r.source + QStringLiteral(" -> ") + r.outputs.join(QStringLiteral(", ")) +
           QStringLiteral(" (") + QString::number(r.inputBytes) + QStringLiteral(" -> ") +
           QString::number(r.outputBytes) + QStringLiteral(" bytes)");
}

QByteArray fileJson(const FileReport& report) {
    const FileResult& r = report.result;
    QJsonObject object;
    object.insert(QStringLiteral("source"), r.source);
    object.insert(QStringLiteral("output"),
                  report.converted() ? QJsonValue(r.outputs.first()) : QJsonValue());
    object.insert(QStringLiteral("outputs"), QJsonArray::fromStringList(r.outputs));
    object.insert(QStringLiteral("status"),
                  report.converted() ? QStringLiteral("converted") : QStringLiteral("failed"));
    object.insert(QStringLiteral("error"),
                  report.converted() ? QJsonValue() : QJsonValue(report.error));
    object.insert(QStringLiteral("bytes_in"), static_cast<qint64>(r.inputBytes));
    object.insert(QStringLiteral("bytes_out"), static_cast<qint64>(r.outputBytes));
    object.insert(QStringLiteral("ms"), static_cast<qint64>(r.milliseconds));
    return compact(object);
}

QString summaryLine(const BatchSummary& summary) {
    const RunTotals& t = summary.totals;
    QString line =
        translateFormat(QStringLiteral("%s processed"), QString::number(t.processedCount)) +
        QStringLiteral(", ") +
        translateFormat(QStringLiteral("%s converted"), QString::number(t.convertedCount)) +
        QStringLiteral(", ") +
        translateFormat(QStringLiteral("%s failed"), QString::number(summary.failed)) +
        QStringLiteral(", ") + t.elapsedText() + QStringLiteral("; ") + diskSpace(t);
    if (summary.interrupted)
        line += QStringLiteral("; ") + TranslateText(QStringLiteral("Interrupted"));
    return line;
}

QByteArray summaryJson(const BatchSummary& summary) {
    const RunTotals& t = summary.totals;
    QJsonObject object;
    object.insert(QStringLiteral("summary"), true);
    object.insert(QStringLiteral("processed"), static_cast<qint64>(t.processedCount));
    object.insert(QStringLiteral("converted"), static_cast<qint64>(t.convertedCount));
    object.insert(QStringLiteral("failed"), static_cast<qint64>(summary.failed));
    object.insert(QStringLiteral("bytes_in"), static_cast<qint64>(t.inputTotal));
    object.insert(QStringLiteral("bytes_out"), static_cast<qint64>(t.outputTotal));
    object.insert(QStringLiteral("elapsed_ms"), static_cast<qint64>(t.elapsedMilliseconds));
    object.insert(QStringLiteral("elapsed"), t.elapsedText());
    object.insert(QStringLiteral("disk_space"), diskSpace(t));
    object.insert(QStringLiteral("interrupted"), summary.interrupted);
    return compact(object);
}

}  // namespace pixmorrow::cli
