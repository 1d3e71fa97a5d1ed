// The table of result codes: one entry per value, codes fit for scripts.

#include "result_code.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <set>

using kestrel::ResultCode;

class ResultCodeTest : public QObject {
    Q_OBJECT
private slots:
    void entries_data();
    void entries();
    void codesAndLabelsAreUnique();
    void onlyAFinishedRunIsOk();
    void schemaListsEveryCode();
};

void ResultCodeTest::entries_data() {
    QTest::addColumn<int>("index");
    for (const kestrel::ResultCodeEntry& entry : kestrel::ResultCodes())
        QTest::newRow(entry.code) << static_cast<int>(&entry - kestrel::ResultCodes().data());
}

void ResultCodeTest::entries() {
    QFETCH(int, index);
    const kestrel::ResultCodeEntry& entry = kestrel::ResultCodes().at(index);
    QCOMPARE(static_cast<int>(entry.value), index);
    QVERIFY(QRegularExpression(QStringLiteral("^[a-z]+(-[a-z]+)*$"))
                .match(kestrel::CodeOf(entry.value))
                .hasMatch());
    QVERIFY(!kestrel::LabelOf(entry.value).isEmpty());
    const QString text = kestrel::TextOf(entry.value);
    QVERIFY(text.isEmpty() || (text.front().isUpper() && text.endsWith(QLatin1Char('.'))));
}

void ResultCodeTest::codesAndLabelsAreUnique() {
    QSet<QString> codes;
    QSet<QString> labels;
    for (const kestrel::ResultCodeEntry& entry : kestrel::ResultCodes()) {
        codes.insert(QString::fromLatin1(entry.code));
        labels.insert(QString::fromLatin1(entry.label));
    }
    QCOMPARE(codes.size(), static_cast<qsizetype>(kestrel::ResultCodes().size()));
    QCOMPARE(labels.size(), static_cast<qsizetype>(kestrel::ResultCodes().size()));
}

void ResultCodeTest::onlyAFinishedRunIsOk() {
    using kestrel::RunOutcome;
    std::set<ResultCode> seen;
    for (const RunOutcome outcome :
         {RunOutcome::NotConnected, RunOutcome::Finished, RunOutcome::CameraStopped,
          RunOutcome::NeverStarted, RunOutcome::Stalled, RunOutcome::ConnectionLost,
          RunOutcome::Disconnected, RunOutcome::Superseded, RunOutcome::Ignored,
          RunOutcome::Interrupted}) {
        const ResultCode code = kestrel::ResultOf(outcome);
        QCOMPARE(code == ResultCode::Ok, outcome == RunOutcome::Finished);
        seen.insert(code);
    }
    QCOMPARE(seen.size(), std::size_t{10}); // each outcome its own code
}

// The JSON schema that scripts rely on names exactly the codes of the table.
void ResultCodeTest::schemaListsEveryCode() {
    QFile file(QStringLiteral(KESTREL_SCHEMA_FILE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray listed = QJsonDocument::fromJson(file.readAll())
                                  .object()[QStringLiteral("$defs")][QStringLiteral("resultCode")]
                                           [QStringLiteral("enum")]
                                  .toArray();
    QSet<QString> schemaCodes;
    for (const QJsonValue& code : listed)
        schemaCodes.insert(code.toString());
    QSet<QString> tableCodes;
    for (const kestrel::ResultCodeEntry& entry : kestrel::ResultCodes())
        tableCodes.insert(QString::fromLatin1(entry.code));
    QCOMPARE(schemaCodes, tableCodes);
}

QTEST_GUILESS_MAIN(ResultCodeTest)
#include "result_code_test.moc"
