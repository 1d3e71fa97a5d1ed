#include "byte_view.h"
#include "checksum_list.h"

#include <QTest>

using kestrel::FindListedChecksum;
using kestrel::ListedChecksum;
using kestrel::View;
using Status = ListedChecksum::Status;

Q_DECLARE_METATYPE(ListedChecksum::Status)

namespace {

// The SHA-256 of nothing and of "abc".
const QByteArray kA = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const QByteArray kB = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

} // namespace

class ChecksumListTest : public QObject {
    Q_OBJECT
private slots:
    void findListedChecksum_data();
    void findListedChecksum();
};

// The copy's checksum tables go through the common cases (match, mismatch,
// case, binary marker, CRLF, listed twice, missing, malformed); these are the
// finer points of the form.
void ChecksumListTest::findListedChecksum_data() {
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<Status>("status");
    QTest::addColumn<int>("line"); // of the entry, or of the bad line

    auto row = [](const char* name, const QByteArray& list, const QByteArray& file, Status status,
                  int line) { QTest::newRow(name) << list << file << status << line; };
    const Status listed = Status::Listed;
    const Status none = Status::NotListed;
    const Status bad = Status::Malformed;
    row("no line feed at the end", kB + "  vx\n" + kA + "  board.rbf", "board.rbf", listed, 2);
    row("comments and empty lines", "# release 2.6\n\n" + kA + "  board.rbf\n\r\n", "board.rbf",
        listed, 3);
    row("escaped backslash", "\\" + kA + "  back\\\\slash\n", "back\\slash", listed, 1);
    row("escaped line feed", "\\" + kA + "  a\\nb\n", "a\nb", listed, 1);
    row("same name in a sub-folder", kA + "  fw/board.rbf\n", "board.rbf", none, 0);
    row("longer name", kA + "  board.rbf.old\n", "board.rbf", none, 0);
    row("65 digits", kA + "0  board.rbf\n", "board.rbf", bad, 1);
    row("digits only", kA + "\n", "board.rbf", bad, 1);
    row("tag form", "SHA256 (board.rbf) = " + kA + "\n", "board.rbf", bad, 1);
    row("unknown escape", "\\" + kA + "  a\\tb\n", "a\tb", bad, 1);
    row("escape at the end", "\\" + kA + "  ab\\\n", "ab", bad, 1);
    row("zero byte in a name", kA + "  board" + QByteArray(1, '\0') + ".rbf\n", "board", bad, 1);
    row("carriage returns alone end the lines", kA + "  board.rbf\r" + kB + "  vx\r", "board.rbf",
        bad, 1);
}

void ChecksumListTest::findListedChecksum() {
    QFETCH(QByteArray, list);
    QFETCH(QByteArray, name);
    QFETCH(Status, status);
    QFETCH(int, line);

    const ListedChecksum found = FindListedChecksum(View(list), View(name));
    QCOMPARE(found.status, status);
    QCOMPARE(QByteArray::fromStdString(found.sha256), status == Status::Listed ? kA : "");
    QCOMPARE(found.line, std::size_t(line));
}

QTEST_MAIN(ChecksumListTest)
#include "checksum_list_test.moc"
