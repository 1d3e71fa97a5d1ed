// The chain over the events' canonical content: each way of tampering with a
// history is named at the first event it touches. (An event's content and
// detail are read back by the store's tests and the fuzz checks.)

#include "history_chain.h"

#include <QCryptographicHash>
#include <QTest>

using namespace kestrel;

namespace {

std::string Sha256(std::string_view bytes) {
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toStdString();
}

struct Row {
    HistoryEvent event;
    std::string previous;
    std::string hash;
};

std::vector<Row> Chain(int count) {
    std::vector<Row> rows;
    std::string previous = FirstPreviousHash();
    for (int i = 1; i <= count; ++i) {
        HistoryEvent e;
        e.id = i;
        e.serial = "S" + std::to_string(i);
        const std::string hash = ChainHash(Sha256, previous, e);
        rows.push_back({e, previous, hash});
        previous = hash;
    }
    return rows;
}

} // namespace

class HistoryChainTest : public QObject {
    Q_OBJECT
private slots:
    void walk_data();
    void walk();
};

// The store's tests change, remove and swap rows of a real file; here, what
// only a forger who knows the chain does, and removals at either end.
void HistoryChainTest::walk_data() {
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<QString>("verdict");
    const QString unlinked = "event 3 does not follow event 2 in the chain: they were reordered, "
                             "or event 2 was replaced";
    QTest::newRow("intact") << QString() << QString();
    QTest::newRow("hash changed") << QStringLiteral("rehash 3")
                                  << "event 3 was changed after it was written";
    QTest::newRow("first removed")
        << QStringLiteral("remove 1") << "event 1 is missing: removed before event 2";
    QTest::newRow("two removed") << QStringLiteral("remove 3 4")
                                 << "events 3 to 4 are missing: removed before event 5";
    QTest::newRow("newest removed")
        << QStringLiteral("remove 6") << "event 6 is missing: removed after event 5";
    QTest::newRow("changed and rehashed") << "rechain 2" << unlinked;
}

void HistoryChainTest::walk() {
    QFETCH(QString, tamper);
    QFETCH(QString, verdict);
    std::vector<Row> rows = Chain(6);
    const QStringList words = tamper.split(' ');
    const auto at = [&](int word) { return words.value(word).toInt() - 1; };
    if (words[0] == "rehash")
        rows[at(1)].hash[0] ^= 1;
    if (words[0] == "rechain") { // changed, with its own hash made again
        Row& row = rows[at(1)];
        row.event.model = "forged";
        row.hash = ChainHash(Sha256, row.previous, row.event);
    }
    if (words[0] == "remove")
        rows.erase(rows.begin() + at(1), rows.begin() + (words.size() > 2 ? at(2) : at(1)) + 1);

    ChainWalk walk(Sha256);
    std::optional<ChainBreak> found;
    qint64 before = 0; // the events fed before the break
    for (const Row& row : rows) {
        if ((found = walk.Feed(row.event, row.previous, row.hash)))
            break;
        ++before;
    }
    if (!found)
        found = walk.Finish(6); // six ids were given
    QCOMPARE(QString::fromStdString(found ? DescribeBreak(*found) : std::string()), verdict);
    // Every event before the break was checked, and only those.
    QCOMPARE(walk.Checked(), before);
}

QTEST_GUILESS_MAIN(HistoryChainTest)
#include "history_chain_test.moc"
