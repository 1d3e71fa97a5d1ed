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
enum class Spoil { Nothing, ListByte, FileByte, GarbageSignature, GarbageKey };
const QMap<Spoil, QString> kGarbage{{Spoil::GarbageSignature, "%DIR/SHA256SUMS.sig"},
                                    {Spoil::GarbageKey, "%KEYS/junk.pub"}};

struct SignatureCase {
    QByteArray list; // SHA256SUMS before it is signed
    QString key;     // signs it (maker, rolled, old, stranger); empty: nobody
    bool embedded = false;
    Spoil spoil = Spoil::Nothing;
    bool policy = false; // require-signature = yes
    QString result{};    // accepted: the signer as the report names it; else why not
    bool accepted = true;
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
    QString m_keys = m_dir.filePath("keys");     // maker's, old (revoked in "revoked")
    QString m_rolled = m_dir.filePath("rolled"); // the maker's next key
    QMap<QString, QString> m_folders{{"maker", m_keys},
                                     {"old", m_keys},
                                     {"rolled", m_rolled},
                                     {"stranger", m_dir.path()}}; // where each key is
    QMap<QString, QString> m_numbers;                             // key name: key number
};

void StagingSignatureTest::initTestCase() {
    if (SignifyProgram().isEmpty())
        QSKIP("signify-openbsd is not installed (Debian package signify-openbsd)");
    QVERIFY(QDir().mkpath(m_keys) && QDir().mkpath(m_rolled));
    for (auto [key, folder] : m_folders.asKeyValueRange()) {
        // The stranger's key calls itself the maker's: its comment is not to be trusted.
        QVERIFY(MakeSignifyKey(folder, key, (key == "stranger" ? "maker" : key) + " release key"));
        m_numbers[key] = KeyNumberOf(folder + '/' + key + ".pub");
    }
    QVERIFY(
        WriteFile(m_keys + "/revoked", "# withdrawn\n" + m_numbers["old"].toUpper().toLatin1()));
    qputenv("KESTREL_FLASH_KEYS", (m_keys + QDir::listSeparator() + m_rolled).toLocal8Bit());
    qputenv("KESTREL_FLASH_POLICY", m_dir.filePath("policy.conf").toLocal8Bit());
}

void StagingSignatureTest::signedSets_data() {
    QTest::addColumn<SignatureCase>("sign");
    const QString maker = "signed by key %maker (maker release key)";
    auto row = [](const char* name, SignatureCase sign, const QString& refusal = {}) {
        sign.accepted = refusal.isEmpty();
        sign.result += refusal;
        QTest::newRow(name) << sign;
    };
    using enum Spoil;
    row("detached", {kBoth, "maker", false, Nothing, false, maker});
    row("embedded", {kBoth, "maker", true, Nothing, false, maker});
    row("rolled: the second trusted key",
        {kBoth, "rolled", false, Nothing, false, "signed by key %rolled (rolled release key)"});
    row("unsigned without the policy", {kBoth, "", false, Nothing, false, "not signed"});
    row("list changed by one byte", {kBoth, "maker", false, ListByte},
        "the signature " + kSig +
            " does not match the checksum list \"%DIR/SHA256SUMS\": the list "
            "was changed after it was signed; get both files again from the firmware's maker");
    row("embedded list changed by one byte", {kBoth, "maker", true, ListByte},
        "the signature in " + kSig +
            " does not match the checksum list it holds: the list was "
            "changed after it was signed; get the file again from the firmware's maker");
    row("file changed by one byte", {kBoth, "maker", false, FileByte},
        "\"%DIR/board_3.rbf\" has SHA-256 %HW, but SHA256SUMS gives %OLDHW");
    row("unknown key", {kBoth, "stranger"},
        kSig + " is signed by key %stranger, which is none of the trusted keys in \"%KEYS\" and "
               "\"%ROLLED\"; use firmware signed by a trusted key, or have the maker's public key "
               "installed there");
    row("revoked key", {kBoth, "old"},
        kSig + " is signed by key %old (old release key), which is revoked in \"%KEYS/revoked\"; "
               "get the firmware signed with the maker's current key");
    row("file missing from the list", {"%SW  vx_server_24\n", "maker"},
        "the signed checksum list \"%DIR/SHA256SUMS\" does not list board_3.rbf; choose a file it "
        "lists, or get the signed list for this file from the firmware's maker");
    row("listed twice with different sums", {kBoth + "%SW  board_3.rbf\n", "maker"},
        "the signed checksum list \"%DIR/SHA256SUMS\" lists board_3.rbf twice with different "
        "checksums (lines 1 and 3); get a correct list from the firmware's maker");
    row("garbage .sig", {kBoth, "maker", false, GarbageSignature},
        kSig + " is not a signature as signify writes it (its second line is not base64); get it "
               "again from the firmware's maker");
    row("garbage .pub", {kBoth, "maker", false, GarbageKey},
        "the trusted key file \"%KEYS/junk.pub\" is not a public key as signify writes it (its "
        "second line is not base64); have it replaced by the maker's key file or removed");
    row("the policy with an unsigned set", {kBoth, "", false, Nothing, true},
        "there is no signature SHA256SUMS.sig beside \"%DIR/board_3.rbf\", and the site's policy "
        "\"%POLICY\" requires firmware signed by a trusted key; get the firmware with its signed "
        "checksum list from its maker");
}

void StagingSignatureTest::signedSets() {
    QFETCH(SignatureCase, sign);
    ChecksumBench bench({});
    const QString list = bench.Source("SHA256SUMS");
    const QString policy = m_dir.filePath("policy.conf");
    const auto cleanUp =
        qScopeGuard([&] { QFile::remove(m_keys + "/junk.pub"), QFile::remove(policy); });
    const QString oldHw = QCryptographicHash::hash(bench.hw, QCryptographicHash::Sha256).toHex();
    QVERIFY(bench.ok && WriteFile(list, bench.Filled(sign.list).toLatin1()));
    if (!sign.key.isEmpty())
        QVERIFY(SignList(m_folders[sign.key] + '/' + sign.key + ".sec", list, sign.embedded));
    if (sign.policy)
        QVERIFY(WriteFile(policy, "require-signature = yes\n"));
    const auto filled = [&](const QString& text) {
        QString done = bench.Filled(text)
                           .replace("%OLDHW", oldHw)
                           .replace("%KEYS", QDir::toNativeSeparators(m_keys))
                           .replace("%ROLLED", QDir::toNativeSeparators(m_rolled))
                           .replace("%POLICY", QDir::toNativeSeparators(policy));
        for (auto number = m_numbers.cbegin(); number != m_numbers.cend(); ++number)
            done.replace('%' + number.key(), number.value());
        return done;
    };
    if (sign.spoil == Spoil::ListByte) // the same byte in the list and in the list embedded
        for (const QString& path : {list, list + ".sig"})
            QVERIFY(WriteFile(path, ReadAll(path).replace("vx_server_24\n", "vx_server_25\n")));
    if (sign.spoil == Spoil::FileByte) {
        bench.hw[1000] = char(bench.hw[1000] ^ 1);
        QVERIFY(WriteFile(bench.Source(kHwName), bench.hw));
    }
    if (kGarbage.contains(sign.spoil)) // a signature, or a key file, that is not one
        QVERIFY(WriteFile(filled(kGarbage[sign.spoil]), "untrusted comment: junk\nnot base64!\n"));

    const StagingOutcome outcome = StageFiles({bench.stick,
                                               {{bench.Source(kHwName), kHwName, "firm.rbf"},
                                                {bench.Source(kSwName), kSwName, "vx_server"}}},
                                              [](const StagingProgress&) {});

    const QString expected = filled(sign.result);
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
