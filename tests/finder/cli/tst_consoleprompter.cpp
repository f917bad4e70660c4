#include "finder/cli/consoleprompter.h"
#include "finder/cli/interruptbridge.h"
#include "platform/events.h"
#include "tests/support/eventcounter.h"

#include <QCoreApplication>
#include <QTest>

#include <csignal>
#include <cstdio>

using namespace orv;

Q_DECLARE_METATYPE(orv::MsgAnswer)

namespace {

QString readAll(std::FILE *file)
{
    std::rewind(file);
    QByteArray bytes;
    char buffer[256];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        bytes.append(buffer, qsizetype(n));
    return QString::fromUtf8(bytes);
}

}  // namespace

class TestConsolePrompter : public QObject
{
    Q_OBJECT

private slots:
    void messages_data()
    {
        QTest::addColumn<bool>("interrupted");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<MsgAnswer>("answer");
        QTest::addColumn<QString>("printed");
        const int yesNo = int(MsgButtons::YesNo);
        QTest::newRow("question before Ctrl-C") << false << yesNo << MsgAnswer::No << "Orvel-ZIP Finder: Interrupt the unpack?\n";
        QTest::newRow("question after Ctrl-C") << true << yesNo << MsgAnswer::Yes << "";
        QTest::newRow("error after Ctrl-C still shown") << true << int(MsgButtons::Ok) << MsgAnswer::Ok
                                                        << "Orvel-ZIP Finder: Interrupt the unpack?\n";
    }

    void messages()
    {
        QFETCH(bool, interrupted);
        QFETCH(int, buttons);
        QFETCH(MsgAnswer, answer);
        QFETCH(QString, printed);
        std::FILE *sink = std::tmpfile();
        QVERIFY(sink);
        {
            CConsolePrompter prompts(sink, false);
            if (interrupted)
                prompts.setInterruptRequested();
            QCOMPARE(prompter().message(QStringLiteral("Interrupt the unpack?"), QStringLiteral("Orvel-ZIP Finder"),
                                        MsgIcon::Question, MsgButtons(buttons)),
                     answer);
        }
        QCOMPARE(readAll(sink), printed);
        std::fclose(sink);
    }

    void passwordIsBounded()
    {
        CConsolePrompter prompts(stderr, false);
        QCOMPARE(prompter().password(QStringLiteral("/a.7z")), std::nullopt);
        prompts.setPassword(QStringLiteral("secret"));
        int given = 0;
        while (prompter().password(QStringLiteral("/a.7z")) == QStringLiteral("secret") && given < 1000)
            ++given;
        QVERIFY(given > 1);
        QVERIFY(given < 1000);
    }

    void ctrlCBecomesStopEvent()
    {
        struct sigaction before{};
        QCOMPARE(::sigaction(SIGINT, nullptr, &before), 0);
        test::EventCounter progress(Ev::UnpackStop);
        {
            CInterruptBridge bridge(&progress);
            QVERIFY(bridge.isInstalled());
            bool told = false;
            connect(&bridge, &CInterruptBridge::interrupted, this, [&told] { told = true; });
            QCOMPARE(::raise(SIGINT), 0);
            for (int i = 0; i < 100 && progress.count == 0; ++i)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QVERIFY(told);
            QCOMPARE(progress.count, 1);
        }
        struct sigaction after{};
        QCOMPARE(::sigaction(SIGINT, nullptr, &after), 0);
        QVERIFY(after.sa_handler == before.sa_handler);
    }
};

QTEST_GUILESS_MAIN(TestConsolePrompter)
#include "tst_consoleprompter.moc"
