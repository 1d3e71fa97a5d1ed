#include "checksum_list.h"

#include <QTest>

using kestrel::FindListedChecksum;
using kestrel::ListedChecksum;
using kestrel::NormalizedSha256;
using Status = ListedChecksum::Status;

Q_DECLARE_METATYPE(ListedChecksum::Status)

namespace {

// The SHA-256 of nothing and of "abc".
const QByteArray kA = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const QByteArray kB = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

class ChecksumListTest : public QObject {
    Q_OBJECT
private slots:
    void findListedChecksum_data();
    void findListedChecksum();
    void normalizedSha256_data();
    void normalizedSha256();
};

void ChecksumListTest::findListedChecksum_data() {
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QByteArray>("sha256"); // Listed
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("otherLine"); // Conflicting

    const QByteArray upperA = kA.toUpper();
    auto row = [](const char* name, const QByteArray& list, const QByteArray& file, Status status,
                  const QByteArray& sha256, int line, int otherLine = 0) {
        QTest::newRow(name) << list << file << status << sha256 << line << otherLine;
    };
    const Status listed = Status::Listed;
    const Status bad = Status::Malformed;
    row("two spaces", kA + "  board.rbf\n", "board.rbf", listed, kA, 1);
    row("binary marker", kA + " *board.rbf\n", "board.rbf", listed, kA, 1);
    row("upper-case digits", upperA + "  board.rbf\n", "board.rbf", listed, kA, 1);
    row("CRLF, second line", kB + "  vx\r\n" + kA + "  board.rbf\r\n", "board.rbf", listed, kA, 2);
    row("no line feed at the end", kB + "  vx\n" + kA + "  board.rbf", "board.rbf", listed, kA, 2);
    row("./ before the name", kA + "  ./board.rbf\n", "board.rbf", listed, kA, 1);
    row("name with spaces", kA + "  my board.rbf\n", "my board.rbf", listed, kA, 1);
    row("comments and empty lines", "# release 2.6\n\n" + kA + "  board.rbf\n\r\n", "board.rbf",
        listed, kA, 3);
    row("escaped backslash", "\\" + kA + "  back\\\\slash\n", "back\\slash", listed, kA, 1);
    row("escaped line feed", "\\" + kA + "  a\\nb\n", "a\nb", listed, kA, 1);
    row("listed twice, same sum in another case", kA + "  board.rbf\n" + upperA + " *./board.rbf\n",
        "board.rbf", listed, kA, 1);
    row("listed twice, different sums", kA + "  board.rbf\n" + kB + "  vx\n" + kB + "  board.rbf\n",
        "board.rbf", Status::Conflicting, "", 1, 3);
    row("missing entry", kB + "  vx\n", "board.rbf", Status::NotListed, "", 0);
    row("empty list", "", "board.rbf", Status::NotListed, "", 0);
    row("same name in a sub-folder", kA + "  fw/board.rbf\n", "board.rbf", Status::NotListed, "",
        0);
    row("longer name", kA + "  board.rbf.old\n", "board.rbf", Status::NotListed, "", 0);
    row("one space", kA + " board.rbf\n", "board.rbf", bad, "", 1);
    row("63 digits", kA.left(63) + "  board.rbf\n", "board.rbf", bad, "", 1);
    row("65 digits", kA + "0  board.rbf\n", "board.rbf", bad, "", 1);
    row("not a digit", "g" + kA.mid(1) + "  board.rbf\n", "board.rbf", bad, "", 1);
    row("no name", kA + "  \n", "board.rbf", bad, "", 1);
    row("digits only", kA + "\n", "board.rbf", bad, "", 1);
    row("tag form", "SHA256 (board.rbf) = " + kA + "\n", "board.rbf", bad, "", 1);
    row("a bad line after the entry", kA + "  board.rbf\nrubbish\n", "board.rbf", bad, "", 2);
    row("unknown escape", "\\" + kA + "  a\\tb\n", "a\tb", bad, "", 1);
    row("escape at the end", "\\" + kA + "  ab\\\n", "ab", bad, "", 1);
    row("zero byte in a name", kA + "  board" + QByteArray(1, '\0') + ".rbf\n", "board", bad, "",
        1);
    row("carriage returns alone end the lines", kA + "  board.rbf\r" + kB + "  vx\r", "board.rbf",
        bad, "", 1);
}

void ChecksumListTest::findListedChecksum() {
    QFETCH(QByteArray, list);
    QFETCH(QByteArray, name);
    QFETCH(Status, status);
    QFETCH(QByteArray, sha256);
    QFETCH(int, line);
    QFETCH(int, otherLine);

    const ListedChecksum found = FindListedChecksum(View(list), View(name));
    QCOMPARE(found.status, status);
    QCOMPARE(QByteArray::fromStdString(found.sha256), sha256);
    QCOMPARE(found.line, std::size_t(line));
    QCOMPARE(found.otherLine, std::size_t(otherLine));
}

void ChecksumListTest::normalizedSha256_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("digits"); // empty: refused
    QTest::newRow("lower case") << kA << kA;
    QTest::newRow("upper case") << kB.toUpper() << kB;
    QTest::newRow("63 digits") << kA.left(63) << QByteArray();
    QTest::newRow("65 digits") << kA + "a" << QByteArray();
    QTest::newRow("a space inside") << kA.left(10) + " " + kA.mid(11) << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void ChecksumListTest::normalizedSha256() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, digits);
    QCOMPARE(QByteArray::fromStdString(NormalizedSha256(View(text))), digits);
}

QTEST_MAIN(ChecksumListTest)
#include "checksum_list_test.moc"
