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

private:
    // A file of the folder that holds the firmware files (and nothing else).
    QString FilePath(const QString& name) const { return m_dir.filePath("files/" + name); }
    QString Files() const { return m_dir.filePath(QStringLiteral("files")); }

    QTemporaryDir m_dir;
};

void FileChooserTest::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("files")));
    for (const char* name : {"board.rbf", "vx_server", "vx_server_24", "notes.txt"}) {
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
    const std::optional<QString> chosen = dlg.ChooseExistingFile(initialName, filters);
    QVERIFY(!chosen.has_value());
    QCOMPARE(shownTypes, (QStringList{filters[0].description, filters[1].description}));
    QCOMPARE(selectedType, filters[0].description);
    QCOMPARE(mode, QFileDialog::ExistingFile);
    QCOMPARE(nameField, initialName);
    QCOMPARE(listing, firstListing);
}

void FileChooserTest::allFilesListsNamesWithoutADot() {
    CKestrel_FlashToolDlg dlg;
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
        dlg.ChooseExistingFile(QStringLiteral("*.rbf"), kHwFilters);
    QCOMPARE(selectedType, QStringLiteral("All Files (*.*)"));
    QVERIFY(listing.contains(QStringLiteral("vx_server")));
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, QDir::toNativeSeparators(FilePath(QStringLiteral("vx_server"))));
}

void FileChooserTest::cancelledFileChooser() {
    CKestrel_FlashToolDlg dlg;
    bool shown = false;
    kestrel::test::WhenShown<QFileDialog>([&](QFileDialog* chooser) {
        shown = true;
        chooser->setDirectory(Files());
        chooser->selectFile(FilePath(QStringLiteral("board.rbf")));
        chooser->reject();
    });
    QVERIFY(!dlg.ChooseExistingFile(QStringLiteral("*.rbf"), kHwFilters).has_value());
    QVERIFY(shown);
}

void FileChooserTest::chosenFolder() {
    CKestrel_FlashToolDlg dlg;
    bool foldersOnly = false;
    kestrel::test::WhenShown<QFileDialog>([&](QFileDialog* chooser) {
        foldersOnly = chooser->fileMode() == QFileDialog::Directory;
        chooser->setDirectory(m_dir.filePath(QStringLiteral("stick")));
        static_cast<QDialog*>(chooser)->accept(); // the Open button
        if (chooser->isVisible())
            chooser->reject();
    });
    const std::optional<QString> chosen = dlg.ChooseFolder();
    QVERIFY(foldersOnly);
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, QDir::toNativeSeparators(m_dir.filePath(QStringLiteral("stick"))));
}

void FileChooserTest::cancelledFolderChooser() {
    CKestrel_FlashToolDlg dlg;
    kestrel::test::WhenShown<QFileDialog>([](QFileDialog* chooser) { chooser->reject(); });
    QVERIFY(!dlg.ChooseFolder().has_value());
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

QTEST_MAIN(FileChooserTest)
#include "file_chooser_test.moc"
