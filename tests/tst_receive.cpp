#include "bmsmainwin.h"
#include "consoleview.h"

#include <QTextBrowser>
#include <QTextCursor>
#include <QtTest>

// The receive path: what ends a quiet period, and what the console view shows of it.
class TestReceive : public QObject
{
    Q_OBJECT

private slots:
    void quietTimeFromLastRead();
    void shown_data();
    void shown();
};

namespace {
QByteArray lines(const char* stem, int count, const char* end)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += stem + QByteArray::number(i) + end;
    return text;
}
} // namespace

// Bytes that keep coming closer together than the quiet time are one quiet period, for
// as long as they keep coming.
void TestReceive::quietTimeFromLastRead()
{
    BMSMainWin win;
    win.CurrentCommand = QStringLiteral("ver\n");
    static QStringList received;
    const QtMessageHandler before = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
        if (m.startsWith(QLatin1String("ReceData:")))
            received << m;
    });
    for (int i = 0; i < 5; ++i) // 400 ms of reads, 100 ms apart
        QTimer::singleShot(100 * i, &win, [&win, i] { win.ReceiveChunk(QByteArray(1, char('A' + i))); });
    QTest::qWait(1200);
    qInstallMessageHandler(before);
    QCOMPARE(received, QStringList{QStringLiteral("ReceData: \"ABCDE\"")});
}

// A burst longer than the view is cut before it goes in; the view must end up exactly
// as if it had gone in whole.
void TestReceive::shown_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("after"); // null: as a view of 1000 lines shows the text put in whole

    const QByteArray held = lines("old ", 40, "\n") + "prompt> ";
    QTest::newRow("burst of 2500 lines, no last line end") << held << lines("row ", 2500, "\n") + "tail"
                                                            << QString();
    QTest::newRow("as many line ends as the view has lines") << held << lines("row ", 1000, "\n") << QString();
    QTest::newRow("burst with CR CR LF") << held << lines("row ", 1500, "\r\r\n")
                                         << QString::fromLatin1(lines("row ", 1500, "\n")).section('\n', 501);
    QTest::newRow("CR runs") << QByteArray() << QByteArray("a\r\r\r\nb\n\r\rc\r\n\r\nd") << "a\nb\nc\n\nd";
}

void TestReceive::shown()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, text);
    QFETCH(QString, after);

    QTextBrowser view;
    view.document()->setMaximumBlockCount(1000);
    view.setPlainText(QString::fromUtf8(before));
    showReceived(&view, text);
    if (after.isNull()) {
        QTextDocument whole;
        whole.setMaximumBlockCount(1000);
        whole.setPlainText(QString::fromUtf8(before));
        QTextCursor end(&whole);
        end.movePosition(QTextCursor::End);
        end.insertText(QString::fromUtf8(text));
        after = whole.toPlainText();
    }
    QCOMPARE(view.document()->blockCount(), after.count('\n') + 1);
    QCOMPARE(view.toPlainText(), after);
}

QTEST_MAIN(TestReceive)
#include "tst_receive.moc"
