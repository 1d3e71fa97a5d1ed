#include "pane_edit.h"
#include "text_position.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using kestrel::PaneEdit;

// A pane of the log's size in a window of its own, with a push button after
// it in the tab order.
class PaneWindow {
public:
    PaneWindow() {
        pane = new PaneEdit(&window);
        next = new QPushButton(QStringLiteral("next"), &window);
        pane->setGeometry(10, 10, 300, 80);
        next->setGeometry(10, 100, 80, 24);
        window.resize(320, 140);
    }
    QWidget window;
    PaneEdit* pane;
    QPushButton* next;
};

class PaneEditTest : public QObject {
    Q_OBJECT

private slots:
    void panePosition_data();
    void panePosition();
    void caretAfterShowText_data();
    void caretAfterShowText();
    void setTextKeepsTheCaret_data();
    void setTextKeepsTheCaret();
    void textIsShownLiterally();
    void typingChangesNothing();
    void longTextLeavesTheLastLineVisible();
    void setTextDoesNotScroll();
    void longLinesWrapAtThePaneWidth();
    void tabMovesToTheNextControl();
    void lookAndBehaviour();
};

void PaneEditTest::panePosition_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("position");

    QTest::newRow("empty") << QString() << 0 << 0;
    QTest::newRow("plain start") << "abc" << 0 << 0;
    QTest::newRow("plain end") << "abc" << 3 << 3;
    QTest::newRow("beyond the end") << "abc" << 9 << 3;
    QTest::newRow("before a negative start") << "abc" << -2 << 0;
    QTest::newRow("before CRLF") << "a\r\nb" << 1 << 1;
    QTest::newRow("between CR and LF") << "a\r\nb" << 2 << 2;
    QTest::newRow("after CRLF") << "a\r\nb" << 3 << 2;
    QTest::newRow("end after CRLF") << "a\r\nb" << 4 << 3;
    QTest::newRow("two lines ended") << "line1\r\nline2\r\n" << 14 << 12;
    QTest::newRow("bare LF") << "a\nb" << 3 << 3;
    QTest::newRow("bare CR") << "a\rb" << 3 << 3;
}

void PaneEditTest::panePosition() {
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(int, position);
    QCOMPARE(kestrel::PanePosition(text, index), qsizetype{position});
}

void PaneEditTest::caretAfterShowText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("beforeCaret");

    QTest::newRow("at the end") << "Connected\r\n" << 11 << "Connected\n";
    QTest::newRow("at the start") << "Connected\r\n" << 0 << "";
    QTest::newRow("inside a line") << "abcdef" << 2 << "ab";
    const QString banner = QStringLiteral("!! DO NOT POWER OFF THE CAMERA !!\r\n\r\n");
    QTest::newRow("live status line after the log")
        << banner + QStringLiteral("sector 3 of 155\r\n") << int(banner.size())
        << "!! DO NOT POWER OFF THE CAMERA !!\n\n";
    QTest::newRow("tabs count as one") << "\t=> a copied\r\n" << 3 << "\t=>";
}

void PaneEditTest::caretAfterShowText() {
    QFETCH(QString, text);
    QFETCH(int, index);
    QFETCH(QString, beforeCaret);
    PaneWindow w;
    w.pane->ShowTextWithCaret(QStringLiteral("old text that goes away"), 5);
    w.pane->ShowTextWithCaret(text, index);
    const QTextCursor caret = w.pane->textCursor();
    QVERIFY(!caret.hasSelection());
    QString shown = w.pane->toPlainText();
    QCOMPARE(shown, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(shown.left(caret.position()), beforeCaret);
}

void PaneEditTest::setTextKeepsTheCaret_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("expected");

    QTest::newRow("caret at 0 stays") << "abcdef" << 0 << "xyz" << 0;
    QTest::newRow("clamped to a shorter text") << "abcdef" << 6 << "xyz" << 3;
    QTest::newRow("kept in a longer text") << "abc" << 2 << "a longer text" << 2;
    QTest::newRow("emptied") << "abc" << 3 << "" << 0;
}

void PaneEditTest::setTextKeepsTheCaret() {
    QFETCH(QString, first);
    QFETCH(int, caret);
    QFETCH(QString, second);
    QFETCH(int, expected);
    PaneWindow w;
    w.pane->ShowTextWithCaret(first, caret);
    QCOMPARE(w.pane->textCursor().position(), caret);
    w.pane->SetTextKeepingCaret(second);
    QCOMPARE(w.pane->toPlainText(), second);
    QCOMPARE(w.pane->textCursor().position(), expected);
    QVERIFY(!w.pane->textCursor().hasSelection());
}

void PaneEditTest::textIsShownLiterally() {
    PaneWindow w;
    const QString reply = QStringLiteral("<b>x</b> &amp; <i>y</i>");
    w.pane->ShowTextWithCaret(reply, reply.size());
    QCOMPARE(w.pane->toPlainText(), reply);
    QCOMPARE(w.pane->document()->characterCount() - 1, reply.size());
    w.pane->SetTextKeepingCaret(reply);
    QCOMPARE(w.pane->toPlainText(), reply);
}

void PaneEditTest::typingChangesNothing() {
    PaneWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.pane->ShowTextWithCaret(QStringLiteral("fixed"), 5);
    w.pane->setFocus();
    QSignalSpy changes(w.pane, &QPlainTextEdit::textChanged);
    QTest::keyClicks(w.pane, QStringLiteral("typed"));
    QTest::keyClick(w.pane, Qt::Key_Backspace);
    QTest::keyClick(w.pane, Qt::Key_Delete);
    QTest::keyClick(w.pane, Qt::Key_Return);
    QTest::keyClick(w.pane, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(w.pane, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(w.pane->toPlainText(), QStringLiteral("fixed"));
    QCOMPARE(changes.count(), 0);
    QVERIFY(w.pane->isReadOnly());
}

void PaneEditTest::longTextLeavesTheLastLineVisible() {
    PaneWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QString text;
    for (int i = 1; i <= 60; ++i)
        text += QStringLiteral("page %1 of 60\r\n").arg(i);
    text += QStringLiteral("last line");
    w.pane->ShowTextWithCaret(text, text.size());
    QVERIFY(w.pane->verticalScrollBar()->value() > 0);
    QVERIFY(w.pane->viewport()->rect().contains(w.pane->cursorRect()));
    const QTextBlock last = w.pane->document()->lastBlock();
    QCOMPARE(last.text(), QStringLiteral("last line"));
    QVERIFY(w.pane->cursorForPosition(QPoint(5, 5)).blockNumber() > 0);
}

void PaneEditTest::setTextDoesNotScroll() {
    PaneWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    QString text;
    for (int i = 1; i <= 60; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    w.pane->ShowTextWithCaret(text, 0);
    QCOMPARE(w.pane->verticalScrollBar()->value(), 0);
    w.pane->SetTextKeepingCaret(text + QStringLiteral("one more\r\n"));
    QCOMPARE(w.pane->verticalScrollBar()->value(), 0);
    QCOMPARE(w.pane->textCursor().position(), 0);
}

void PaneEditTest::longLinesWrapAtThePaneWidth() {
    PaneWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    const QString line = QStringLiteral("word ").repeated(60) + QStringLiteral("x").repeated(200);
    w.pane->ShowTextWithCaret(line, 0);
    const QTextLayout* layout = w.pane->document()->firstBlock().layout();
    QVERIFY(layout->lineCount() > 3);
    for (int i = 0; i < layout->lineCount(); ++i)
        QVERIFY(layout->lineAt(i).naturalTextWidth() <= w.pane->viewport()->width());
    QCOMPARE(w.pane->horizontalScrollBar()->maximum(), 0);
}

void PaneEditTest::tabMovesToTheNextControl() {
    PaneWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.pane->ShowTextWithCaret(QStringLiteral("text"), 4);
    w.pane->setFocus();
    QCOMPARE(QApplication::focusWidget(), w.pane);
    QTest::keyClick(w.pane, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.next);
    QCOMPARE(w.pane->toPlainText(), QStringLiteral("text"));
}

void PaneEditTest::lookAndBehaviour() {
    PaneEdit pane;
    QCOMPARE(pane.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(pane.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(pane.lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(pane.focusPolicy(), Qt::StrongFocus);
    QVERIFY(pane.tabChangesFocus());
    QCOMPARE(pane.frameShadow(), QFrame::Sunken);
    QCOMPARE(pane.lineWidth(), 1);
}

QTEST_MAIN(PaneEditTest)
#include "pane_edit_test.moc"
