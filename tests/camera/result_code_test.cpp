// The table of result codes: one entry per value, codes fit for scripts.

#include "result_code.h"

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

QTEST_GUILESS_MAIN(ResultCodeTest)
#include "result_code_test.moc"
