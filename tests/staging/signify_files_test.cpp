// The readers of signify keys and signatures, the site's policy and its list
// of revoked keys; the copy's table (staging_signature_test) goes through
// real files signify-openbsd made, these through the finer points.

#include "byte_view.h"
#include "signify_files.h"
#include "site_rules.h"

#include <QTest>

using namespace kestrel;

namespace {

// "Ed", the key number 01..08, then size - 10 bytes.
QByteArray DataLine(qsizetype size, const char* algorithm = "Ed") {
    QByteArray data = QByteArray(algorithm) + QByteArray::fromHex("0102030405060708");
    return (data + QByteArray(size - data.size(), '\x5a')).toBase64();
}

const QByteArray kComment = "untrusted comment: maker release key public key\n";
const QByteArray kKey = kComment + DataLine(42) + "\n";
const QByteArray kSignature = "untrusted comment: verify with maker.pub\n" + DataLine(74) + "\n";

} // namespace

class SignifyFilesTest : public QObject {
    Q_OBJECT
private slots:
    void readers_data();
    void readers();
    void keyName();
    void policy_data();
    void policy();
    void revoked_data();
    void revoked();
};

void SignifyFilesTest::readers_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("key"); // read as a public key, else as a signature
    QTest::addColumn<int>("fault");
    QTest::addColumn<QByteArray>("message"); // an embedded signature's
    auto row = [](const char* name, const QByteArray& file, bool key, SignifyFault fault,
                  const QByteArray& message = {}) {
        QTest::newRow(name) << file << key << int(fault) << message;
    };
    using enum SignifyFault;
    row("key", kKey, true, None);
    row("key, CRLF, no last line end", QByteArray(kKey).replace("\n", "\r\n").chopped(2), true,
        None);
    row("no comment line", kKey.mid(kComment.size()), true, NoComment);
    row("comment without its line end", kComment.chopped(1), true, NoComment);
    row("comment alone", kComment, true, NoDataLine);
    row("not base64", kComment + "RWQ*" + DataLine(42).mid(4), true, NotBase64);
    row("padding left out", kComment + DataLine(74).chopped(1), false, NotBase64);
    row("a signature read as a key", kSignature, true, WrongLength);
    row("another algorithm", kComment + DataLine(42, "Ek"), true, NotEd25519);
    row("text after the key", kKey + "\n", true, TextAfterKey);
    row("detached signature", kSignature, false, None);
    row("embedded signature", kSignature + "list\n", false, None, "list\n");
    row("a key read as a signature", kKey, false, WrongLength);
}

void SignifyFilesTest::readers() {
    QFETCH(QByteArray, file);
    QFETCH(bool, key);
    QFETCH(int, fault);
    QFETCH(QByteArray, message);
    const SignifyPublicKey asKey = ReadSignifyPublicKey(View(file));
    const SignifySignature asSignature = ReadSignifySignature(View(file));
    QCOMPARE(int(key ? asKey.fault : asSignature.fault), fault);
    if (fault != int(SignifyFault::None))
        return;
    QCOMPARE(KeyNumberHex(key ? asKey.keyNumber : asSignature.keyNumber), "0102030405060708");
    QCOMPARE(QByteArray::fromStdString(std::string(asSignature.message)), message);
    if (key)
        QCOMPARE(asKey.comment, "maker release key public key");
}

void SignifyFilesTest::keyName() {
    QCOMPARE(KeyName("maker release key public key"), "maker release key");
    QCOMPARE(KeyName("site key"), "site key");
    QCOMPARE(KeyName(" public key"), " public key"); // nothing would be left
}

void SignifyFilesTest::policy_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("required");
    QTest::addColumn<int>("badLine");
    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("yes") << QByteArray("# bench 4\n\nrequire-signature = yes\n") << true << 0;
    QTest::newRow("blanks and CRLF") << QByteArray("\t require-signature=yes  \r\n") << true << 0;
    QTest::newRow("no") << QByteArray("require-signature = no") << false << 0;
    QTest::newRow("upper case") << QByteArray("require-signature = YES\n") << false << 1;
    QTest::newRow("another name") << QByteArray("require-signatures = yes\n") << false << 1;
    QTest::newRow("no equals sign") << QByteArray("require-signature yes\n") << false << 1;
    QTest::newRow("given twice") << QByteArray("require-signature = yes\nrequire-signature = no\n")
                                 << false << 2;
}

void SignifyFilesTest::policy() {
    QFETCH(QByteArray, text);
    QFETCH(bool, required);
    QFETCH(int, badLine);
    const SitePolicy policy = ReadSitePolicy(View(text));
    QCOMPARE(policy.requireSignature, required);
    QCOMPARE(policy.badLine, std::size_t(badLine));
}

void SignifyFilesTest::revoked_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("badLine");
    QTest::newRow("two, either case")
        << QByteArray("# 2026\n0123456789abcdef\n\n  A1B2C3D4E5F60718 \r\n")
        << QStringList{"0123456789abcdef", "a1b2c3d4e5f60718"} << 0;
    QTest::newRow("15 digits") << QByteArray("0123456789abcdef\n0123456789abcde\n") << QStringList()
                               << 2;
    QTest::newRow("0x before") << QByteArray("0x0123456789abcdef") << QStringList() << 1;
    QTest::newRow("not hexadecimal") << QByteArray("0123456789abcdeg") << QStringList() << 1;
}

void SignifyFilesTest::revoked() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, keys);
    QFETCH(int, badLine);
    const RevokedKeys revoked = ReadRevokedKeys(View(text));
    QStringList read;
    for (const KeyNumber& number : revoked.keys)
        read << QString::fromStdString(KeyNumberHex(number));
    QCOMPARE(read, keys);
    QCOMPARE(revoked.badLine, std::size_t(badLine));
}

QTEST_MAIN(SignifyFilesTest)
#include "signify_files_test.moc"
