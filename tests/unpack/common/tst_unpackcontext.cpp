#include "tests/support/scriptedprompter.h"
#include "unpack/common/unpackcontext.h"

#include "platform/events.h"
#include "platform/prompts.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

struct Received
{
    int number;
    int value;
    QString text;
};

class Receiver : public QObject
{
public:
    std::vector<Received> events;

protected:
    bool event(QEvent *e) override
    {
        if (auto *orvEvent = dynamic_cast<orv::OrvEvent *>(e)) {
            events.push_back({orvEvent->number(), orvEvent->value(), orvEvent->text()});
            return true;
        }
        return QObject::event(e);
    }
};

// Keeps the whole replace question, which the scripted prompter reduces to one line.
class QuestionRecorder : public orv::ScriptedPrompter
{
public:
    std::vector<orv::ReplaceQuestion> questions;
    orv::ReplaceAnswer confirmReplace(const orv::ReplaceQuestion &question) override
    {
        questions.push_back(question);
        return ScriptedPrompter::confirmReplace(question);
    }
};

QString answersText(const orv::INIYESTOALL &a)
{
    return QStringLiteral("%1%2%3%4").arg(a.bYesToAllFiles).arg(a.bYesToAllSystem).arg(a.bYesToAllReadOnly).arg(
        a.bYesToAllHidden);
}

orv::INIYESTOALL answersFrom(const QString &text)
{
    orv::INIYESTOALL a;
    a.bYesToAllFiles = text.at(0) == QLatin1Char('1');
    a.bYesToAllSystem = text.at(1) == QLatin1Char('1');
    a.bYesToAllReadOnly = text.at(2) == QLatin1Char('1');
    a.bYesToAllHidden = text.at(3) == QLatin1Char('1');
    return a;
}

bool ownerCanWrite(const QString &path)
{
    struct stat st{};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && (st.st_mode & S_IWUSR) != 0;
}

}  // namespace

Q_DECLARE_METATYPE(orv::ReplaceAnswer)
Q_DECLARE_METATYPE(orv::ReplaceDecision)

class TestUnpackContext : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        QDir(m_dir->path()).removeRecursively();
        m_dir.reset();
    }

    void replace_data()
    {
        QTest::addColumn<QString>("existing");     // name of the existing file, "" for none
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("ask");
        QTest::addColumn<QString>("before");       // Yes To All answers: files, system, read-only, hidden
        QTest::addColumn<orv::ReplaceAnswer>("answer");
        QTest::addColumn<QString>("question");     // "" when no question is expected
        QTest::addColumn<orv::ReplaceDecision>("decision");
        QTest::addColumn<QString>("after");
        using A = orv::ReplaceAnswer;
        using D = orv::ReplaceDecision;
        const QString plain = QStringLiteral("This folder already contains a file named");
        const QString readOnly = QStringLiteral("This folder already contains a read-only file named");
        const QString hidden = QStringLiteral("This folder already contains a hidden file named");
        QTest::newRow("nothing there") << "" << false << true << "0000" << A::No << "" << D::Write << "0000";
        QTest::newRow("yes") << "x" << false << true << "0000" << A::Yes << plain << D::Write << "0000";
        QTest::newRow("yes to all") << "x" << false << true << "0000" << A::YesToAll << plain << D::Write << "1000";
        QTest::newRow("no") << "x" << false << true << "0000" << A::No << plain << D::Skip << "0000";
        QTest::newRow("cancel") << "x" << false << true << "0000" << A::Cancel << plain << D::Cancel << "0000";
        QTest::newRow("read-only yes to all") << "x" << true << true << "0000" << A::YesToAll << readOnly << D::Write
                                              << "0010";
        QTest::newRow("hidden yes to all") << ".x" << false << true << "0000" << A::YesToAll << hidden << D::Write
                                           << "0001";
        QTest::newRow("read-only outranks hidden") << ".x" << true << true << "0000" << A::YesToAll << readOnly
                                                   << D::Write << "0010";
        QTest::newRow("earlier yes to all answers") << "x" << false << true << "1000" << A::No << "" << D::Write
                                                    << "1000";
        QTest::newRow("files answer does not cover read-only")
            << "x" << true << true << "1000" << A::No << readOnly << D::Skip << "1000";
        QTest::newRow("read-only answer does not cover hidden")
            << ".x" << false << true << "0010" << A::Yes << hidden << D::Write << "0010";
        QTest::newRow("asking off replaces read-only") << "x" << true << false << "0000" << A::No << "" << D::Write
                                                       << "0000";
    }
    void replace()
    {
        QFETCH(QString, existing);
        QFETCH(bool, readOnly);
        QFETCH(bool, ask);
        QFETCH(QString, before);
        QFETCH(orv::ReplaceAnswer, answer);
        QFETCH(QString, question);
        QFETCH(orv::ReplaceDecision, decision);
        QFETCH(QString, after);

        const QString path = m_dir->filePath(existing.isEmpty() ? QStringLiteral("absent") : existing);
        if (!existing.isEmpty()) {
            QVERIFY(orv::test::writeFile(path, "old"));
            if (readOnly)
                QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        }
        orv::ScriptedPrompter prompts;
        prompts.queueReplaceAnswer(answer);
        orv::UnpackContext context;
        orv::INIUNPACK ini;
        ini.bAskBeforeOverwriting = ask;
        context.setIni(ini);
        context.setYesToAll(answersFrom(before));

        const orv::ArchivedFile item{QFileInfo(path).fileName(), 10, 0};
        QCOMPARE(context.confirmReplace(path, item), decision);
        QCOMPARE(answersText(context.yesToAll()), after);
        QCOMPARE(context.isCancelled(), decision == orv::ReplaceDecision::Cancel);
        if (question.isEmpty()) {
            QVERIFY(prompts.records().empty());
        } else {
            QCOMPARE(prompts.texts(), QStringList(question + QStringLiteral(" '") + item.name + QStringLiteral("'.")));
        }
        if (decision == orv::ReplaceDecision::Write && !existing.isEmpty())
            QVERIFY(ownerCanWrite(path));
        if (decision != orv::ReplaceDecision::Write && readOnly)
            QVERIFY(!ownerCanWrite(path));
    }

    void replaceQuestionTexts()
    {
        qputenv("TZ", "UTC");
        tzset();
        const QString path = m_dir->filePath(QStringLiteral("report.txt"));
        QVERIFY(orv::test::writeFile(path, QByteArray(1234, 'x')));
        QuestionRecorder prompts;
        orv::UnpackContext context;
        context.confirmReplace(path, {QStringLiteral("report.txt"), 1234567, 0});
        QCOMPARE(prompts.questions.size(), size_t(1));
        const orv::ReplaceQuestion &q = prompts.questions.front();
        QCOMPARE(q.quotedName, QStringLiteral("'report.txt'."));
        QCOMPARE(q.existingSize, QStringLiteral("size: 1 234 bytes"));
        QVERIFY2(q.existingModified.startsWith(QStringLiteral("modified: ")) && q.existingModified.contains(','),
                 qPrintable(q.existingModified));
        QCOMPARE(q.newSize, QStringLiteral("size: 1 234 567 bytes"));
        QCOMPARE(q.newModified, QStringLiteral("modified: 01/01/70, 00:00:00"));
        QCOMPARE(q.existingPath, path);
    }

    void writingWithAnswers_data()
    {
        QTest::addColumn<QList<orv::ReplaceAnswer>>("answers");
        QTest::addColumn<QString>("contents");  // what a.txt, b.txt, c.txt hold afterwards
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("cancelled");
        using A = orv::ReplaceAnswer;
        QTest::newRow("yes to all asks once") << QList<A>{A::YesToAll} << "new new new" << 1 << false;
        QTest::newRow("no skips one") << QList<A>{A::No, A::Yes, A::Yes} << "old new new" << 3 << false;
        QTest::newRow("cancel stops the run") << QList<A>{A::Yes, A::Cancel} << "new old old" << 2 << true;
    }
    void writingWithAnswers()
    {
        QFETCH(QList<orv::ReplaceAnswer>, answers);
        QFETCH(QString, contents);
        QFETCH(int, questions);
        QFETCH(bool, cancelled);
        const QString target = m_dir->filePath(QStringLiteral("t"));
        const QStringList names{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")};
        for (const QString &name : names)
            QVERIFY(orv::test::writeFile(target + '/' + name, "old"));
        orv::ScriptedPrompter prompts;
        for (orv::ReplaceAnswer answer : answers)
            prompts.queueReplaceAnswer(answer);
        orv::UnpackContext context;
        context.beginOperation();
        for (const QString &name : names) {
            orv::OutputFile file;
            if (context.beginFile(file, target, name, {name, 3, 0}) == orv::FileStart::Open) {
                QVERIFY(file.write("new", 3));
                QVERIFY(context.finishFile(file));
            }
            if (context.isCancelled())
                break;
        }
        QStringList found;
        for (const QString &name : names)
            found << QString::fromLatin1(orv::test::readFile(target + '/' + name));
        QCOMPARE(found.join(' '), contents);
        QCOMPARE(int(prompts.records().size()), questions);
        QCOMPARE(context.isCancelled(), cancelled);
        QCOMPARE(QDir(target).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    void onlyNamesAlreadyThereAreAsked()
    {
        // The second copy of a name within one extraction meets the first one and is asked about.
        const QString target = m_dir->filePath(QStringLiteral("t"));
        orv::ScriptedPrompter prompts;
        prompts.queueReplaceAnswer(orv::ReplaceAnswer::No);
        orv::UnpackContext context;
        context.beginOperation();
        const QList<QByteArray> contents{"first", "second"};
        for (const QByteArray &data : contents) {
            orv::OutputFile file;
            if (context.beginFile(file, target, QStringLiteral("d/x.txt"), {QStringLiteral("x.txt"), 6, 0})
                == orv::FileStart::Open) {
                QVERIFY(file.write(data.constData(), size_t(data.size())));
                QVERIFY(context.finishFile(file));
            }
        }
        QCOMPARE(int(prompts.records().size()), 1);
        QCOMPARE(orv::test::readFile(target + QStringLiteral("/d/x.txt")), QByteArray("first"));
        QCOMPARE(QDir(target + QStringLiteral("/d")).entryList(QDir::Files | QDir::Hidden), QStringList({"x.txt"}));
    }

    void escapingEntryReportedOthersGoOn()
    {
        const QString target = m_dir->filePath(QStringLiteral("t"));
        orv::ScriptedPrompter prompts;
        orv::UnpackContext context;
        const QStringList entries{QStringLiteral("../evil.txt"), QStringLiteral("good.txt")};
        QStringList written;
        for (const QString &entry : entries) {
            orv::OutputFile file;
            if (context.beginFile(file, target, entry, {entry, 1, 0}) == orv::FileStart::Open && file.write("x", 1)
                && context.finishFile(file))
                written << entry;
        }
        QCOMPARE(written, QStringList(QStringLiteral("good.txt")));
        QCOMPARE(prompts.records().size(), size_t(1));
        const orv::ScriptedPrompter::Record &record = prompts.records().front();
        QVERIFY2(record.text.contains(QStringLiteral("\"../evil.txt\"")) && record.text.contains(QStringLiteral("outside the target folder")),
                 qPrintable(record.text));
        QCOMPARE(record.icon, orv::MsgIcon::Error);
        QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("evil.txt"))));
        QVERIFY(!context.isCancelled());
    }

    void foldersAndFilesReported()
    {
        const QString target = m_dir->filePath(QStringLiteral("t"));
        Receiver tree;
        orv::UnpackContext context;
        context.setFileTree(&tree);
        QVERIFY(context.createEntryFolder(target, QStringLiteral("a/b")));
        orv::OutputFile file;
        QCOMPARE(context.beginFile(file, target, QStringLiteral("a/c/x.txt"), {QStringLiteral("x.txt"), 0, 0}),
                 orv::FileStart::Open);
        QVERIFY(context.finishFile(file));
        QStringList paths;
        for (const Received &r : tree.events) {
            QCOMPARE(r.number, orv::Ev::PathCreated);
            paths << r.text.mid(target.size());
        }
        QCOMPARE(paths, QStringList({"", "/a", "/a/b", "/a/c", "/a/c/x.txt"}));
        QVERIFY(context.createFolder(target + QStringLiteral("/n/")));
        QCOMPARE(tree.events.back().text, target + QStringLiteral("/n"));
        QVERIFY(!context.createFolder(QString()));
        QVERIFY(!context.createFolder(target + QStringLiteral("/a/c/x.txt")));
    }

    void progress_data()
    {
        QTest::addColumn<quint64>("done");
        QTest::addColumn<quint64>("total");
        QTest::addColumn<int>("percent");
        QTest::newRow("nothing to do") << quint64(0) << quint64(0) << 0;
        QTest::newRow("truncated") << quint64(2) << quint64(3) << 66;
        QTest::newRow("done") << quint64(7) << quint64(7) << 100;
        QTest::newRow("beyond the total") << quint64(9) << quint64(7) << 100;
        QTest::newRow("huge sizes") << (quint64(1) << 62) << (quint64(1) << 63) << 50;
    }
    void progress()
    {
        QFETCH(quint64, done);
        QFETCH(quint64, total);
        QFETCH(int, percent);
        Receiver dialog;
        orv::UnpackContext context;
        context.updateProgress(done, total, QStringLiteral("ignored"));
        context.setProgressReceiver(&dialog);
        context.updateProgress(done, total, QStringLiteral("a/x.txt"));
        QCOMPARE(dialog.events.size(), size_t(1));
        QCOMPARE(dialog.events.front().number, orv::Ev::UnpackProgress);
        QCOMPARE(dialog.events.front().value, percent);
        QCOMPARE(dialog.events.front().text, QStringLiteral("a/x.txt"));
    }

    void stopRequest_data()
    {
        QTest::addColumn<bool>("interrupt");
        QTest::addColumn<bool>("copied");
        QTest::newRow("yes interrupts") << true << false;
        QTest::newRow("no goes on") << false << false;
        QTest::newRow("a copy watches the same window") << true << true;
    }
    void stopRequest()
    {
        QFETCH(bool, interrupt);
        QFETCH(bool, copied);
        Receiver dialog;
        orv::ScriptedPrompter prompts;
        prompts.queueMessageAnswer(interrupt ? orv::MsgAnswer::Yes : orv::MsgAnswer::No);
        orv::UnpackContext original;
        original.setProgressReceiver(&dialog);
        orv::UnpackContext context(original);
        orv::UnpackContext &used = copied ? context : original;

        QVERIFY(used.doEvents());
        QVERIFY(prompts.records().empty());
        orv::postOrvEvent(&dialog, orv::Ev::UnpackStop);
        QCOMPARE(used.doEvents(), !interrupt);
        QCOMPARE(used.isCancelled(), interrupt);
        QVERIFY(!used.isStopRequested());
        QCOMPARE(prompts.records().size(), size_t(1));
        const orv::ScriptedPrompter::Record &record = prompts.records().front();
        QCOMPARE(record.text, QStringLiteral("Interrupt the unpack?"));
        QCOMPARE(record.caption, QStringLiteral("Orvel-ZIP Finder"));
        QCOMPARE(record.icon, orv::MsgIcon::Question);
        QCOMPARE(record.buttons, orv::MsgButtons::YesNo);
        QCOMPARE(dialog.events.size(), size_t(1));  // the window still sees its own stop request

        used.beginOperation();
        QVERIFY(used.doEvents());
        QCOMPARE(prompts.records().size(), size_t(1));
    }

    void receiverMayGoAway()
    {
        orv::UnpackContext context;
        {
            Receiver dialog;
            context.setProgressReceiver(&dialog);
        }
        QCOMPARE(context.progressReceiver(), nullptr);
        context.updateProgress(1, 2, QStringLiteral("x"));
        QVERIFY(context.doEvents());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestUnpackContext)
#include "tst_unpackcontext.moc"
