#include "line_assembler.h"

#include <QTest>

#include <string>
#include <vector>

using kestrel::LineAssembler;

Q_DECLARE_METATYPE(std::vector<std::string>)

class LineAssemblerTest : public QObject {
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void splitAnywhere();
    void overlongLineStaysInStep();
    void resetDropsPartialLine();
};

void LineAssemblerTest::lines_data() {
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("cr lf") << QByteArray("0 0 0 0\r\n") << QStringList{"0 0 0 0"};
    QTest::newRow("bare lf keeps the last character")
        << QByteArray("0 0 0 0\n") << QStringList{"0 0 0 0"};
    QTest::newRow("empty line") << QByteArray("\n") << QStringList{""};
    QTest::newRow("only cr lf") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("two lines") << QByteArray("A 1\r\nB 2\r\n") << QStringList{"A 1", "B 2"};
    QTest::newRow("no line end yet") << QByteArray("half a li") << QStringList{};
    QTest::newRow("zero byte ends the text") << QByteArray("SN 12\0"
                                                           "34\r\n",
                                                           10)
                                             << QStringList{"SN 12"};
    QTest::newRow("zero byte first") << QByteArray("\0abc\r\n", 6) << QStringList{""};
    QTest::newRow("cr inside the line stays") << QByteArray("a\rb\r\n") << QStringList{"a\rb"};
    QTest::newRow("two crs keep one") << QByteArray("ab\r\r\n") << QStringList{"ab\r"};
    QTest::newRow("latin-1 bytes") << QByteArray("n\xb0 5\r\n") << QStringList{"n\xc2\xb0 5"};
}

void LineAssemblerTest::lines() {
    QFETCH(QByteArray, received);
    QFETCH(QStringList, expected);
    LineAssembler assembler;
    std::vector<std::string> lines;
    assembler.Feed(std::string_view(received.constData(), received.size()), lines);
    QStringList got;
    for (const std::string& line : lines)
        got << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    QCOMPARE(got, expected);
}

void LineAssemblerTest::splitAnywhere() {
    // However the bytes are cut into pieces by the network, the lines are the same.
    const std::string stream = "CAM_GETSERIALNUMBER 21040017\r\n1 155 77 0 0\r\n\nlast\r\n";
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        LineAssembler assembler;
        std::vector<std::string> lines;
        assembler.Feed(std::string_view(stream).substr(0, cut), lines);
        assembler.Feed(std::string_view(stream).substr(cut), lines);
        const std::vector<std::string> expected{"CAM_GETSERIALNUMBER 21040017", "1 155 77 0 0", "",
                                                "last"};
        QVERIFY2(lines == expected, qPrintable(QStringLiteral("cut at %1").arg(cut)));
    }
    // Byte by byte, as a slow camera sends.
    LineAssembler assembler;
    std::vector<std::string> lines;
    for (char c : stream)
        assembler.Feed(std::string_view(&c, 1), lines);
    QCOMPARE(lines.size(), std::size_t(4));
    QCOMPARE(lines[1], std::string("1 155 77 0 0"));
}

void LineAssemblerTest::overlongLineStaysInStep() {
    const std::size_t limit = LineAssembler::kMaxLineBytes;
    struct Case {
        std::size_t length;
        std::size_t kept;
    };
    for (const Case c : {Case{limit - 1, limit - 1}, Case{limit, limit}, Case{limit + 1, limit},
                         Case{10000, limit}, Case{100000, limit}}) {
        LineAssembler assembler;
        std::vector<std::string> lines;
        const std::string longLine(c.length, 'X');
        // Fed in pieces of 1000 bytes, then the line end and the next reply.
        for (std::size_t at = 0; at < longLine.size(); at += 1000)
            assembler.Feed(std::string_view(longLine).substr(at, 1000), lines);
        QVERIFY(assembler.PendingBytes() <= limit + 1);
        assembler.Feed("\r\nOK\r\n", lines);
        QCOMPARE(lines.size(), std::size_t(2));
        QCOMPARE(lines[0].size(), c.kept);
        QCOMPARE(lines[0], std::string(c.kept, 'X'));
        QCOMPARE(lines[1], std::string("OK"));
    }
}

void LineAssemblerTest::resetDropsPartialLine() {
    LineAssembler assembler;
    std::vector<std::string> lines;
    assembler.Feed("CAM_GETSERIAL", lines);
    assembler.Reset();
    assembler.Feed("OK\r\n", lines);
    QCOMPARE(lines, std::vector<std::string>{"OK"});
}

QTEST_GUILESS_MAIN(LineAssemblerTest)
#include "line_assembler_test.moc"
