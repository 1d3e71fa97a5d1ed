// Firmware signed by its maker: the copy onto the stick checks the signature
// of SHA256SUMS, made by signify-openbsd, before the stick is touched.

#include "checksum_cases.h"
#include "copy_report.h"
#include "file_stager.h"
#include "scratch_files.h"
#include "signify_keys.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kestrel;
using namespace kestrel::test;

namespace {

// What happens to the signed set before the copy.
enum class Spoil { Nothing, ListByte, FileByte, NoList, GarbageSignature, GarbageKey };

struct SignatureCase {
    QByteArray list; // SHA256SUMS before it is signed
    QString key;     // signs it (maker, rolled, old, stranger); empty: nobody
    bool embedded = false;
    Spoil spoil = Spoil::Nothing;
    bool policy = false; // require-signature = yes
    bool accepted = true;
    QString result{}; // accepted: the signer as the report names it; else why not
};

const QByteArray kBoth = "%HW  board_3.rbf\n%SW  vx_server_24\n";
const QString kSig = "\"%DIR/SHA256SUMS.sig\"";

} // namespace

Q_DECLARE_METATYPE(SignatureCase)

class StagingSignatureTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void signedSets_data();
    void signedSets();

private:
    QTemporaryDir m_dir;
    QString m_keys = m_dir.filePath("keys");     // maker.pub, old.pub and revoked
    QString m_rolled = m_dir.filePath("rolled"); // rolled.pub: the maker's next key
    QString m_secret = m_dir.filePath("secret"); // the secret keys, and stranger.pub
    QMap<QString, QString> m_numbers;            // key name: key number
};

void StagingSignatureTest::initTestCase() {
    if (SignifyProgram().isEmpty())
        QSKIP("signify-openbsd is not installed (Debian package signify-openbsd)");
    QVERIFY(QDir().mkpath(m_keys) && QDir().mkpath(m_rolled) && QDir().mkpath(m_secret));
    const QMap<QString, QString> comments{{"maker", "maker release key"},
                                          {"rolled", "rolled release key"},
                                          {"old", "old release key"},
                                          {"stranger", "maker release key"}};
    for (auto key = comments.cbegin(); key != comments.cend(); ++key) {
        QVERIFY(MakeSignifyKey(m_secret, key.key(), key.value()));
        m_numbers[key.key()] = KeyNumberOf(m_secret + '/' + key.key() + ".pub");
    }
    for (const QString trusted : {"maker", "old"})
        QVERIFY(QFile::rename(m_secret + '/' + trusted + ".pub", m_keys + '/' + trusted + ".pub"));
    QVERIFY(QFile::rename(m_secret + "/rolled.pub", m_rolled + "/rolled.pub"));
    QVERIFY(
        WriteFile(m_keys + "/revoked", "# withdrawn\n" + m_numbers["old"].toUpper().toLatin1()));
    qputenv("KESTREL_FLASH_KEYS", (m_keys + QDir::listSeparator() + m_rolled).toLocal8Bit());
    qputenv("KESTREL_FLASH_POLICY", m_dir.filePath("policy.conf").toLocal8Bit());
}

void StagingSignatureTest::signedSets_data() {
    QTest::addColumn<SignatureCase>("sign");
    const QString maker = "signed by key %maker (maker release key)";
    const QString getBoth = "; get both files again from the firmware's maker";
    auto accept = [](const char* row, SignatureCase sign) { QTest::newRow(row) << sign; };
    auto refuse = [](const char* row, SignatureCase sign, const QString& reason) {
        sign.accepted = false;
        sign.result = reason;
        QTest::newRow(row) << sign;
    };
    accept("detached", {kBoth, "maker", false, Spoil::Nothing, false, true, maker});
    accept("embedded", {kBoth, "maker", true, Spoil::Nothing, false, true, maker});
    accept("embedded, no SHA256SUMS beside",
           {kBoth, "maker", true, Spoil::NoList, false, true, maker});
    accept("rolled: the second trusted key", {kBoth, "rolled", false, Spoil::Nothing, false, true,
                                              "signed by key %rolled (rolled release key)"});
    accept("the policy with a signed set",
           {kBoth, "maker", false, Spoil::Nothing, true, true, maker});
    accept("unsigned without the policy",
           {kBoth, "", false, Spoil::Nothing, false, true, "not signed"});
    refuse("list changed by one byte", {kBoth, "maker", false, Spoil::ListByte},
           "the signature " + kSig +
               " does not match the checksum list \"%DIR/SHA256SUMS\": the "
               "list was changed after it was signed" +
               getBoth);
    refuse("embedded list changed by one byte", {kBoth, "maker", true, Spoil::ListByte},
           "the signature in " + kSig +
               " does not match the checksum list it holds: the list was "
               "changed after it was signed; get the file again from the firmware's maker");
    refuse("file changed by one byte", {kBoth, "maker", false, Spoil::FileByte},
           "\"%DIR/board_3.rbf\" has SHA-256 %HW, but SHA256SUMS gives %OLDHW");
    refuse("unknown key", {kBoth, "stranger"},
           kSig +
               " is signed by key %stranger, which is none of the trusted keys in \"%KEYS\" and "
               "\"%ROLLED\"; use firmware signed by a trusted key, or have the maker's public key "
               "installed there");
    refuse("revoked key", {kBoth, "old"},
           kSig +
               " is signed by key %old (old release key), which is revoked in \"%KEYS/revoked\"; "
               "get the firmware signed with the maker's current key");
    refuse("file missing from the list", {"%SW  vx_server_24\n", "maker"},
           "the signed checksum list \"%DIR/SHA256SUMS\" does not list board_3.rbf; choose a file "
           "it lists, or get the signed list for this file from the firmware's maker");
    refuse("listed twice with different sums", {kBoth + "%SW  board_3.rbf\n", "maker"},
           "the signed checksum list \"%DIR/SHA256SUMS\" lists board_3.rbf twice with different "
           "checksums (lines 1 and 3); get a correct list from the firmware's maker");
    refuse("detached signature without its list", {kBoth, "maker", false, Spoil::NoList},
           "the signature " + kSig +
               " has no checksum list \"%DIR/SHA256SUMS\" beside it; get the "
               "list from the firmware's maker and put it beside the signature");
    refuse("garbage .sig", {kBoth, "maker", false, Spoil::GarbageSignature},
           kSig + " is not a signature as signify writes it (its first line is not an \"untrusted "
                  "comment:\" line); get it again from the firmware's maker");
    refuse("garbage .pub", {kBoth, "maker", false, Spoil::GarbageKey},
           "the trusted key file \"%KEYS/junk.pub\" is not a public key as signify writes it (its "
           "second line is not base64); have it replaced by the maker's key file or removed");
    refuse(
        "the policy with an unsigned set", {kBoth, "", false, Spoil::Nothing, true},
        "there is no signature SHA256SUMS.sig beside \"%DIR/board_3.rbf\", and the site's policy "
        "\"%POLICY\" requires firmware signed by a trusted key; get the firmware with its signed "
        "checksum list from its maker");
}

void StagingSignatureTest::signedSets() {
    QFETCH(SignatureCase, sign);
    ChecksumBench bench({});
    QVERIFY(bench.ok);
    const QString list = bench.Source("SHA256SUMS");
    const QString signature = list + ".sig";
    const QString junk = m_keys + "/junk.pub";
    const auto removeJunk = qScopeGuard([&] { QFile::remove(junk); });
    const QString oldHw = QCryptographicHash::hash(bench.hw, QCryptographicHash::Sha256).toHex();
    QVERIFY(WriteFile(list, bench.Filled(sign.list).toLatin1()));
    if (!sign.key.isEmpty())
        QVERIFY(SignList(m_secret + '/' + sign.key + ".sec", list, sign.embedded));
    QFile::remove(m_dir.filePath("policy.conf"));
    if (sign.policy)
        QVERIFY(WriteFile(m_dir.filePath("policy.conf"), "require-signature = yes\n"));
    switch (sign.spoil) {
    case Spoil::Nothing:
        break;
    case Spoil::ListByte: // the same byte in the list and in the list embedded
        for (const QString& path : {list, signature})
            QVERIFY(WriteFile(path, ReadAll(path).replace("vx_server_24\n", "vx_server_25\n")));
        break;
    case Spoil::FileByte:
        bench.hw[1000] = char(bench.hw[1000] ^ 1);
        QVERIFY(WriteFile(bench.Source(kHwName), bench.hw));
        break;
    case Spoil::NoList:
        QVERIFY(QFile::remove(list));
        break;
    case Spoil::GarbageSignature:
        QVERIFY(WriteFile(signature, "RWQ garbage\n"));
        break;
    case Spoil::GarbageKey:
        QVERIFY(WriteFile(junk, "untrusted comment: junk\nnot base64!\n"));
        break;
    }

    const StagingOutcome outcome = StageFiles({bench.stick,
                                               {{bench.Source(kHwName), kHwName, "firm.rbf"},
                                                {bench.Source(kSwName), kSwName, "vx_server"}}},
                                              [](const StagingProgress&) {});

    QString expected =
        bench.Filled(sign.result)
            .replace("%OLDHW", oldHw)
            .replace("%KEYS", QDir::toNativeSeparators(m_keys))
            .replace("%ROLLED", QDir::toNativeSeparators(m_rolled))
            .replace("%POLICY", QDir::toNativeSeparators(m_dir.filePath("policy.conf")));
    for (auto number = m_numbers.cbegin(); number != m_numbers.cend(); ++number)
        expected.replace('%' + number.key(), number.value());
    QCOMPARE(outcome.succeeded, sign.accepted);
    if (!sign.accepted) {
        QCOMPARE(outcome.failedItem, 0);
        QCOMPARE(outcome.reason, expected);
        QVERIFY(!outcome.stickChanged && bench.StickUntouched());
        return;
    }
    QCOMPARE(outcome.verified.size(), 2);
    for (const VerifiedFile& file : outcome.verified)
        QCOMPARE(SignerText(file.signer), expected);
    QVERIFY(bench.StickHoldsNewPair());
}

QTEST_MAIN(StagingSignatureTest)
#include "staging_signature_test.moc"
