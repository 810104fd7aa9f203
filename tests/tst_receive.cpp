#include "bmsmainwin.h"
#include "consoleview.h"

#include <QTextBrowser>
#include <QtTest>

namespace {
QByteArray lines(const char* stem, int count, const char* end)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += stem + QByteArray::number(i) + end;
    return text;
}
} // namespace

// The receive path: what ends a quiet period, and what the log and the console view
// show of it.
class TestReceive : public QObject
{
    Q_OBJECT

private slots:
    // Reads that keep coming closer together than the quiet time are one quiet period,
    // for as long as they keep coming; its bytes reach the log once, framed or not, and
    // the console view as they came.
    void quietPeriodLoggedOnce()
    {
        BMSMainWin win;
        win.basicPolling = false;
        win.CurrentCommand = QStringLiteral("pwrsys\n");
        static QStringList logged;
        const QtMessageHandler before =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) { logged << m; });
        const QList<QByteArray> reads{"@pwrsys\r\nNOISE-1\r\n$$", "NOISE-2$$ ", "C", "D", "E"};
        for (int i = 0; i < reads.size(); ++i) // 400 ms of reads, 100 ms apart
            QTimer::singleShot(100 * i, &win, [&win, read = reads[i]] { win.ReceiveChunk(read); });
        QTest::qWait(1200);
        qInstallMessageHandler(before);
        QCOMPARE(logged.filter(QStringLiteral("NOISE-")),
                 QStringList{QStringLiteral(R"(ReceData: "@pwrsys\r\nNOISE-1\r\n$$NOISE-2$$ CDE")")});
        QCOMPARE(win.findChild<QTextBrowser*>(QStringLiteral("ReceTextBro"))->toPlainText(),
                 QStringLiteral("@pwrsys\nNOISE-1\n$$NOISE-2$$ CDE"));
    }

    // A burst longer than the view is cut before it goes in; the view must end up exactly
    // as if it had gone in whole: its last 1000 lines.
    void shown_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("after");

        const QByteArray held = lines("old ", 40, "\n") + "prompt> ";
        const auto rows = [](int count, int from) { return QString::fromLatin1(lines("row ", count, "\n")).section('\n', from); };
        QTest::newRow("2500 lines, no last line end") << held << lines("row ", 2500, "\n") + "tail" << rows(2500, 1501) + "tail";
        QTest::newRow("as many line ends as the view has lines") << held << lines("row ", 1000, "\n") << rows(1000, 1);
        QTest::newRow("burst with CR CR LF") << held << lines("row ", 1500, "\r\r\n") << rows(1500, 501);
        QTest::newRow("CR runs, LF CR") << QByteArray("abc") << QByteArray("a\r\r\r\nb\n\r\rc\r\n\r\nd") << "abca\nb\nc\n\nd";
        QTest::newRow("redraw replaces last line") << QByteArray("head\nprogress 10%") << QByteArray("\rprogress 20%\rprogress 30%")
                                                   << "head\nprogress 30%";
    }

    void shown()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, text);

        QTextBrowser view;
        view.document()->setMaximumBlockCount(1000);
        view.setPlainText(QString::fromUtf8(before));
        showReceived(&view, text);
        QTEST(view.toPlainText(), "after");
    }
};

QTEST_MAIN(TestReceive)
#include "tst_receive.moc"
