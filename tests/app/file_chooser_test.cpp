#include "file_choosers.h"
#include "kestrel_flashtool_dlg.h"
#include "modal_watch.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using kestrel::FileFilter;

Q_DECLARE_METATYPE(QList<kestrel::FileFilter>)

namespace {

const QList<FileFilter> kHwFilters{
    {QStringLiteral("Raw Binary File (*.rbf)"), {QStringLiteral("*.rbf")}},
    {QStringLiteral("All Files (*.*)"), {QStringLiteral("*")}},
};
const QList<FileFilter> kSwFilters{
    {QStringLiteral("VX Server File (vx_server*)"), {QStringLiteral("vx_server*")}},
    {QStringLiteral("All Files (*.*)"), {QStringLiteral("*")}},
};

// The names the chooser's file list shows now.
QStringList ListedNames(QFileDialog* chooser) {
    auto* view = chooser->findChild<QAbstractItemView*>(QStringLiteral("listView"));
    if (view == nullptr || view->model() == nullptr)
        return {};
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row)
        names << view->model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

// Makes the chooser's type list go to its next entry as the operator does.
void ChooseNextType(QFileDialog* chooser) {
    auto* types = chooser->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types != nullptr);
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);
}

// The folder a chooser (2: the folder chooser) is left in by choosing path.
QString FolderOf(int chooser, const QString& path) {
    return chooser == 2 ? path : QFileInfo(path).absolutePath();
}

} // namespace

class FileChooserTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void typeListAndInitialName_data();
    void typeListAndInitialName();
    void allFilesListsNamesWithoutADot();
    void cancelledFileChooser();
    void chosenFolder();
    void cancelledFolderChooser();
    void nativeFolderPath_data();
    void nativeFolderPath();
    void opensWhereTheLastChoiceWasMade_data();
    void opensWhereTheLastChoiceWasMade();

private:
    // A file of the folder that holds the firmware files (and nothing else).
    QString FilePath(const QString& name) const { return m_dir.filePath("files/" + name); }
    QString Files() const { return m_dir.filePath(QStringLiteral("files")); }
    // Opens chooser 0 (hardware), 1 (software) or 2 (folder), goes to path (a
    // file, or the folder) and chooses it or cancels; the folder it opened in.
    QString Use(int chooser, const QString& path, bool accept) const;

    QTemporaryDir m_dir;
};

void FileChooserTest::initTestCase() {
    QVERIFY(m_dir.isValid());
    // The choosers' settings go to a folder of the test's own.
    QCoreApplication::setOrganizationName(QStringLiteral("file_chooser_test"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("settings"));
    for (const char* folder : {"files", "seed/0", "seed/1", "seed/2"})
        QVERIFY(QDir(m_dir.path()).mkpath(QString::fromLatin1(folder)));
    for (const char* name : {"board.rbf", "vx_server", "vx_server_24", "notes.txt",
                             "../seed/0/board.rbf", "../seed/1/vx_server"}) {
        QFile file(FilePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("firmware");
    }
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("stick")));
}

void FileChooserTest::typeListAndInitialName_data() {
    QTest::addColumn<QString>("initialName");
    QTest::addColumn<QList<FileFilter>>("filters");
    QTest::addColumn<QStringList>("firstListing");

    QTest::newRow("hardware") << "*.rbf" << kHwFilters << QStringList{"board.rbf"};
    QTest::newRow("software") << "vx_server*" << kSwFilters
                              << QStringList{"vx_server", "vx_server_24"};
}

void FileChooserTest::typeListAndInitialName() {
    QFETCH(QString, initialName);
    QFETCH(QList<FileFilter>, filters);
    QFETCH(QStringList, firstListing);
    CKestrel_FlashToolDlg dlg;
    kestrel::FileChoosers choosers(&dlg);
    QStringList shownTypes;
    QString selectedType;
    QString nameField;
    QStringList listing;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    kestrel::test::WhenShown<QFileDialog>([&](QFileDialog* chooser) {
        auto close = qScopeGuard([chooser] { chooser->reject(); });
        shownTypes = chooser->nameFilters();
        selectedType = chooser->selectedNameFilter();
        mode = chooser->fileMode();
        if (auto* edit = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            nameField = edit->text();
        chooser->setDirectory(Files());
        QTRY_COMPARE(ListedNames(chooser), firstListing);
        listing = ListedNames(chooser);
    });
    const std::optional<QString> chosen = choosers.ChooseExistingFile(initialName, filters);
    QVERIFY(!chosen.has_value());
    QCOMPARE(shownTypes, (QStringList{filters[0].description, filters[1].description}));
    QCOMPARE(selectedType, filters[0].description);
    QCOMPARE(mode, QFileDialog::ExistingFile);
    QCOMPARE(nameField, initialName);
    QCOMPARE(listing, firstListing);
}

void FileChooserTest::allFilesListsNamesWithoutADot() {
    CKestrel_FlashToolDlg dlg;
    kestrel::FileChoosers choosers(&dlg);
    QStringList listing;
    QString selectedType;
    kestrel::test::WhenShown<QFileDialog>([&](QFileDialog* chooser) {
        auto close = qScopeGuard([chooser] {
            if (chooser->isVisible())
                chooser->reject();
        });
        chooser->setDirectory(Files());
        QTRY_COMPARE(ListedNames(chooser), QStringList{"board.rbf"});
        ChooseNextType(chooser);
        selectedType = chooser->selectedNameFilter();
        const QStringList everything{"board.rbf", "notes.txt", "vx_server", "vx_server_24"};
        QTRY_COMPARE(ListedNames(chooser), everything);
        listing = ListedNames(chooser);
        chooser->selectFile(FilePath(QStringLiteral("vx_server")));
        static_cast<QDialog*>(chooser)->accept(); // the Open button
    });
    const std::optional<QString> chosen =
        choosers.ChooseExistingFile(QStringLiteral("*.rbf"), kHwFilters);
    QCOMPARE(selectedType, QStringLiteral("All Files (*.*)"));
    QVERIFY(listing.contains(QStringLiteral("vx_server")));
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, QDir::toNativeSeparators(FilePath(QStringLiteral("vx_server"))));
}

void FileChooserTest::cancelledFileChooser() {
    CKestrel_FlashToolDlg dlg;
    kestrel::FileChoosers choosers(&dlg);
    bool shown = false;
    kestrel::test::WhenShown<QFileDialog>([&](QFileDialog* chooser) {
        shown = true;
        chooser->setDirectory(Files());
        chooser->selectFile(FilePath(QStringLiteral("board.rbf")));
        chooser->reject();
    });
    QVERIFY(!choosers.ChooseExistingFile(QStringLiteral("*.rbf"), kHwFilters).has_value());
    QVERIFY(shown);
}

void FileChooserTest::chosenFolder() {
    CKestrel_FlashToolDlg dlg;
    kestrel::FileChoosers choosers(&dlg);
    bool foldersOnly = false;
    kestrel::test::WhenShown<QFileDialog>([&](QFileDialog* chooser) {
        foldersOnly = chooser->fileMode() == QFileDialog::Directory;
        chooser->setDirectory(m_dir.filePath(QStringLiteral("stick")));
        static_cast<QDialog*>(chooser)->accept(); // the Open button
        if (chooser->isVisible())
            chooser->reject();
    });
    const std::optional<QString> chosen = choosers.ChooseFolder();
    QVERIFY(foldersOnly);
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, QDir::toNativeSeparators(m_dir.filePath(QStringLiteral("stick"))));
}

void FileChooserTest::cancelledFolderChooser() {
    CKestrel_FlashToolDlg dlg;
    kestrel::FileChoosers choosers(&dlg);
    kestrel::test::WhenShown<QFileDialog>([](QFileDialog* chooser) { chooser->reject(); });
    QVERIFY(!choosers.ChooseFolder().has_value());
}

void FileChooserTest::nativeFolderPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
#ifdef Q_OS_WIN
    QTest::newRow("drive root") << "E:/"
                                << "E:\\";
    QTest::newRow("bare drive") << "E:"
                                << "E:\\";
    QTest::newRow("folder below the root") << "E:/fw"
                                           << "E:\\fw";
#else
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("mount point") << "/media/usb"
                                 << "/media/usb";
    QTest::newRow("drive-like name stays") << "E:"
                                           << "E:";
#endif
}

void FileChooserTest::nativeFolderPath() {
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(kestrel::NativeFolderPath(path), expected);
}

QString FileChooserTest::Use(int chooser, const QString& path, bool accept) const {
    CKestrel_FlashToolDlg dlg;
    kestrel::FileChoosers choosers(&dlg);
    QString start;
    kestrel::test::WhenShown<QFileDialog>([&](QFileDialog* shown) {
        start = shown->directory().absolutePath();
        shown->setDirectory(FolderOf(chooser, path));
        if (chooser != 2)
            shown->selectFile(path);
        if (accept)
            static_cast<QDialog*>(shown)->accept();
        if (shown->isVisible())
            shown->reject();
    });
    if (chooser == 2)
        choosers.ChooseFolder();
    else
        choosers.ChooseExistingFile(QStringLiteral("*"), chooser == 0 ? kHwFilters : kSwFilters);
    return start;
}

void FileChooserTest::opensWhereTheLastChoiceWasMade_data() {
    QTest::addColumn<int>("chooser");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("removed");  // the chosen folder is gone afterwards
    QTest::addColumn<QString>("start"); // the next start; empty: where it was before

    QTest::newRow("hardware file") << 0 << "files/board.rbf" << true << false << "files";
    QTest::newRow("software file") << 1 << "files/vx_server" << true << false << "files";
    QTest::newRow("folder") << 2 << "stick" << true << false << "stick";
    QTest::newRow("folder taken out") << 2 << "stick/usb" << true << true << "stick";
    QTest::newRow("cancelled") << 0 << "files/board.rbf" << false << false << "";
}

void FileChooserTest::opensWhereTheLastChoiceWasMade() {
    QFETCH(int, chooser);
    QFETCH(QString, chosen);
    QFETCH(bool, accepted);
    QFETCH(bool, removed);
    QFETCH(QString, start);
    // Each chooser was last used in a folder of its own.
    const QStringList seeds{"seed/0/board.rbf", "seed/1/vx_server", "seed/2"};
    for (int i = 0; i < 3; ++i)
        Use(i, m_dir.filePath(seeds[i]), true);
    const auto seed = [&](int i) { return FolderOf(i, m_dir.filePath(seeds[i])); };

    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("stick/usb")));
    const QString path = m_dir.filePath(chosen);
    const QString folder = FolderOf(chooser, path);
    QCOMPARE(Use(chooser, path, accepted), seed(chooser));
    if (removed)
        QVERIFY(QDir(folder).removeRecursively());
    QCOMPARE(Use(chooser, m_dir.path(), false),
             start.isEmpty() ? seed(chooser) : m_dir.filePath(start));
    // The others keep their own; the choice is on disk for the program's next run.
    QCOMPARE(Use((chooser + 1) % 3, m_dir.path(), false), seed((chooser + 1) % 3));
    QFile saved(m_dir.filePath("settings/file_chooser_test/file_chooser_test.ini"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().contains(folder.toUtf8()), accepted);
}

QTEST_MAIN(FileChooserTest)
#include "file_chooser_test.moc"
