// The finer points of the readers of signify files, the policy and the revoked
// keys (staging_signature_test: real files made by signify-openbsd).

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
    void siteRules_data();
    void siteRules();
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
    row("not base64", kComment + "RWQ*" + DataLine(42).mid(4), true, NotBase64);
    row("a signature read as a key", kSignature, true, WrongLength);
    row("another algorithm", kComment + DataLine(42, "Ek"), true, NotEd25519);
    row("text after the key", kKey + "\n", true, TextAfterKey);
    row("detached signature", kSignature, false, None);
    row("embedded signature", kSignature + "list\n", false, None, "list\n");
    row("comment alone, read as a signature", kComment, false, NoDataLine);
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
    if (key) // named without what signify adds; a comment of that alone stays whole
        QCOMPARE(KeyName(asKey.comment) + '|' + KeyName(" public key"),
                 "maker release key| public key");
}

void SignifyFilesTest::siteRules_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("policy");  // read as the policy, else as the revoked keys
    QTest::addColumn<QString>("read"); // "yes", "no"; the keys, comma-separated
    QTest::addColumn<int>("badLine");
    auto row = [](const char* name, const QByteArray& text, bool policy, const char* read,
                  int badLine = 0) { QTest::newRow(name) << text << policy << read << badLine; };
    row("no policy", "", true, "no");
    row("yes", "# bench 4\n\nrequire-signature = yes\n", true, "yes");
    row("blanks and CRLF", "\t require-signature=yes  \r\n", true, "yes");
    row("upper case", "require-signature = YES\n", true, "no", 1);
    row("no equals sign", "require-signature yes\n", true, "no", 1);
    row("given twice", "require-signature = yes\nrequire-signature = no\n", true, "no", 2);
    row("two keys, either case", "# 2026\n0123456789abcdef\n\n  A1B2C3D4E5F60718 \r\n", false,
        "0123456789abcdef,a1b2c3d4e5f60718");
    row("15 digits", "0123456789abcdef\n0123456789abcde\n", false, "", 2);
    row("not hexadecimal", "0123456789abcdeg", false, "", 1);
}

void SignifyFilesTest::siteRules() {
    QFETCH(QByteArray, text);
    QFETCH(bool, policy);
    QFETCH(QString, read);
    QFETCH(int, badLine);
    const SitePolicy site = ReadSitePolicy(View(text));
    const RevokedKeys revoked = ReadRevokedKeys(View(text));
    QStringList keys;
    for (const KeyNumber& number : revoked.keys)
        keys << QString::fromStdString(KeyNumberHex(number));
    QCOMPARE(policy ? QString(site.requireSignature ? "yes" : "no") : keys.join(','), read);
    QCOMPARE(policy ? site.badLine : revoked.badLine, std::size_t(badLine));
}

QTEST_MAIN(SignifyFilesTest)
#include "signify_files_test.moc"
