#include "byte_view.h"
#include "reply_reading.h"

#include <QTest>

#include <limits>

using namespace kestrel;

Q_DECLARE_METATYPE(UpdateStatus)

namespace {
QByteArray Bytes(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

class ReplyReadingTest : public QObject {
    Q_OBJECT
private slots:
    void textAfterFirstSpace_data();
    void textAfterFirstSpace();
    void readNumber_data();
    void readNumber();
    void cameraModel_data();
    void cameraModel();
    void bayerPattern_data();
    void bayerPattern();
    void parseUpdateStatus_data();
    void parseUpdateStatus();
    void idle_data();
    void idle();
    void progressPosition_data();
    void progressPosition();
    void phaseUnfinished_data();
    void phaseUnfinished();
};

void ReplyReadingTest::textAfterFirstSpace_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("one space") << QByteArray("SN 21040017") << QByteArray("21040017");
    QTest::newRow("several spaces") << QByteArray("SN 2104 00 17 ") << QByteArray("2104 00 17 ");
    QTest::newRow("two spaces first") << QByteArray("SN  8") << QByteArray(" 8");
    QTest::newRow("no space") << QByteArray("21040017") << QByteArray("21040017");
    QTest::newRow("trailing space only") << QByteArray("SN ") << QByteArray("");
    QTest::newRow("empty") << QByteArray("") << QByteArray("");
    QTest::newRow("leading space") << QByteArray(" 1") << QByteArray("1");
    QTest::newRow("tab is no space") << QByteArray("SN\t5") << QByteArray("SN\t5");
}

void ReplyReadingTest::textAfterFirstSpace() {
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, text);
    QCOMPARE(Bytes(TextAfterFirstSpace(View(reply))), text);
}

void ReplyReadingTest::readNumber_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("3") << QByteArray("3") << 3;
    QTest::newRow("03") << QByteArray("03") << 3;
    QTest::newRow("7abc") << QByteArray("7abc") << 7;
    QTest::newRow("blank then 8") << QByteArray(" 8") << 8;
    QTest::newRow("blanks and tab then 8") << QByteArray(" \t 8") << 8;
    QTest::newRow("negative") << QByteArray("-1") << -1;
    QTest::newRow("plus") << QByteArray("+12") << 12;
    QTest::newRow("sign alone") << QByteArray("-") << 0;
    QTest::newRow("sign then blank") << QByteArray("- 5") << 0;
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("letters") << QByteArray("abc") << 0;
    QTest::newRow("stops at space") << QByteArray("12 34") << 12;
    QTest::newRow("max") << QByteArray("2147483647") << std::numeric_limits<int>::max();
    QTest::newRow("min") << QByteArray("-2147483648") << std::numeric_limits<int>::min();
    QTest::newRow("above max saturates")
        << QByteArray("2147483648") << std::numeric_limits<int>::max();
    QTest::newRow("far above max")
        << QByteArray("99999999999999999999999") << std::numeric_limits<int>::max();
    QTest::newRow("below min saturates")
        << QByteArray("-2147483649") << std::numeric_limits<int>::min();
    QTest::newRow("far below min")
        << QByteArray("-99999999999999999999") << std::numeric_limits<int>::min();
    QTest::newRow("many zeros") << QByteArray(60, '0') + "42" << 42;
}

void ReplyReadingTest::readNumber() {
    QFETCH(QByteArray, text);
    QFETCH(int, number);
    QCOMPARE(ReadNumber(View(text)), number);
}

void ReplyReadingTest::cameraModel_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("model");
    const QList<QPair<int, QByteArray>> rows{
        {3, "VX110"}, {4, "VX150"}, {5, "VX210"},  {6, "VX260"},
        {7, "VX340"}, {8, "VX380"}, {10, "VX420"}, {11, "VX_T90"},
        {9, ""},      {12, ""},     {0, ""},       {1, ""},
        {2, ""},      {-1, ""},     {-3, ""},      {std::numeric_limits<int>::max(), ""}};
    for (const auto& [type, model] : rows)
        QTest::addRow("%d", type) << type << model;
}

void ReplyReadingTest::cameraModel() {
    QFETCH(int, type);
    QFETCH(QByteArray, model);
    QCOMPARE(Bytes(CameraModelName(type)), model);
}

void ReplyReadingTest::bayerPattern_data() {
    QTest::addColumn<int>("bayer");
    QTest::addColumn<QByteArray>("pattern");
    const QList<QPair<int, QByteArray>> rows{{0, "GRBG"}, {1, "GBRG"}, {2, "RGGB"},
                                             {3, "BGGR"}, {4, ""},     {-1, ""}};
    for (const auto& [bayer, pattern] : rows)
        QTest::addRow("%d", bayer) << bayer << pattern;
}

void ReplyReadingTest::bayerPattern() {
    QFETCH(int, bayer);
    QFETCH(QByteArray, pattern);
    QCOMPARE(Bytes(BayerPatternName(bayer)), pattern);
}

void ReplyReadingTest::parseUpdateStatus_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<UpdateStatus>("before");
    QTest::addColumn<UpdateStatus>("after");
    const UpdateStatus zero{};
    const UpdateStatus start{155, 0, 20000, 0};

    QTest::newRow("idle: the fourth zero is not taken")
        << QByteArray("0 0 0 0") << UpdateStatus{155, 3, 20000, 7} << UpdateStatus{0, 0, 0, 7};
    QTest::newRow("empty keeps all") << QByteArray("") << start << start;
    QTest::newRow("one word keeps all") << QByteArray("ERROR") << start << start;
    QTest::newRow("erasing") << QByteArray("1 155 10 20000 0") << zero
                             << UpdateStatus{155, 10, 20000, 0};
    QTest::newRow("programming") << QByteArray("1 155 153 20000 19997") << zero
                                 << UpdateStatus{155, 153, 20000, 19997};
    QTest::newRow("three numbers: the last not taken")
        << QByteArray("1 5 4") << start << UpdateStatus{5, 0, 20000, 0};
    QTest::newRow("two numbers") << QByteArray("1 5") << start << UpdateStatus{0, 0, 20000, 0};
    QTest::newRow("six numbers") << QByteArray("1 155 12 20000 500 99") << zero
                                 << UpdateStatus{155, 12, 20000, 500};
    QTest::newRow("two spaces shift the fields")
        << QByteArray("1  155 12 20000 0") << zero << UpdateStatus{0, 155, 12, 20000};
    QTest::newRow("trailing space reads the last")
        << QByteArray("1 155 77 0 ") << start << UpdateStatus{155, 77, 0, 0};
    QTest::newRow("letters read 0") << QByteArray("1 a b c d") << start << zero;
    QTest::newRow("overflow saturates")
        << QByteArray("1 99999999999 -99999999999 5 6") << zero
        << UpdateStatus{std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), 5, 6};
}

void ReplyReadingTest::parseUpdateStatus() {
    QFETCH(QByteArray, reply);
    QFETCH(UpdateStatus, before);
    QFETCH(UpdateStatus, after);
    UpdateStatus status = before;
    ParseUpdateStatus(View(reply), status);
    QCOMPARE(status.nEraseTotal, after.nEraseTotal);
    QCOMPARE(status.nEraseDone, after.nEraseDone);
    QCOMPARE(status.nProgramTotal, after.nProgramTotal);
    QCOMPARE(status.nProgramDone, after.nProgramDone);
}

void ReplyReadingTest::idle_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("idle");
    QTest::newRow("exact") << QByteArray("0 0 0 0") << true;
    QTest::newRow("trailing blank") << QByteArray("0 0 0 0 ") << false;
    QTest::newRow("five zeros") << QByteArray("0 0 0 0 0") << false;
    QTest::newRow("double space") << QByteArray("0  0 0 0") << false;
    QTest::newRow("empty") << QByteArray("") << false;
}

void ReplyReadingTest::idle() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, idle);
    QCOMPARE(IsIdleStatus(View(reply)), idle);
}

void ReplyReadingTest::progressPosition_data() {
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("position");
    QTest::newRow("0 of 155") << 0 << 155 << 0;
    QTest::newRow("77 of 155 rounds up") << 77 << 155 << 50;
    QTest::newRow("154 of 155") << 154 << 155 << 100;
    QTest::newRow("19999 of 20000") << 19999 << 20000 << 100;
    QTest::newRow("1 of 20000") << 1 << 20000 << 1;
    QTest::newRow("exact half") << 50 << 100 << 50;
    QTest::newRow("zero total") << 5 << 0 << 0;
    QTest::newRow("beyond total is 100") << 300 << 155 << 100;
    QTest::newRow("negative done is 0") << -5 << 155 << 0;
    QTest::newRow("negative total is 0") << 5 << -155 << 0;
    QTest::newRow("both negative") << -77 << -155 << 50;
    QTest::newRow("huge done") << std::numeric_limits<int>::max() << 155 << 100;
    QTest::newRow("huge total") << 1 << std::numeric_limits<int>::max() << 1;
    QTest::newRow("min done") << std::numeric_limits<int>::min() << -1 << 100;
}

void ReplyReadingTest::progressPosition() {
    QFETCH(int, done);
    QFETCH(int, total);
    QFETCH(int, position);
    QCOMPARE(ProgressPosition(done, total), position);
}

void ReplyReadingTest::phaseUnfinished_data() {
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("margin");
    QTest::addColumn<bool>("unfinished");
    QTest::newRow("153 of 155 margin 1") << 153 << 155 << 1 << true;
    QTest::newRow("154 of 155 margin 1") << 154 << 155 << 1 << false;
    QTest::newRow("152 of 155 margin 2") << 152 << 155 << 2 << true;
    QTest::newRow("153 of 155 margin 2") << 153 << 155 << 2 << false;
    QTest::newRow("19997 of 20000 margin 2") << 19997 << 20000 << 2 << true;
    QTest::newRow("19998 of 20000 margin 2") << 19998 << 20000 << 2 << false;
    QTest::newRow("total 2 never runs") << 0 << 2 << 2 << false;
    QTest::newRow("zero total") << 0 << 0 << 1 << false;
    QTest::newRow("min total no overflow") << 0 << std::numeric_limits<int>::min() << 1 << false;
    QTest::newRow("min done") << std::numeric_limits<int>::min() << 0 << 2 << true;
}

void ReplyReadingTest::phaseUnfinished() {
    QFETCH(int, done);
    QFETCH(int, total);
    QFETCH(int, margin);
    QFETCH(bool, unfinished);
    QCOMPARE(PhaseUnfinished(done, total, margin), unfinished);
}

QTEST_GUILESS_MAIN(ReplyReadingTest)
#include "reply_reading_test.moc"
