#include "support/testenv.h"

#include "mail/emailaddress.h"
#include "mail/encodedword.h"
#include "mail/mimeattachment.h"
#include "mail/mimemessage.h"
#include "mail/mimemultipart.h"
#include "mail/mimetext.h"

#include <memory>
#include <thread>
#include <vector>

namespace {

QStringList crlfLines(const QString &text)
{
    return text.split(QStringLiteral("\r\n"));
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    TestEnv::writeFile(dir.filePath(name), bytes);
    return dir.filePath(name);
}

}

class TestMailMime : public QObject
{
    Q_OBJECT

private slots:
    void fileParts()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("a.csv"), "1;2\n");
        MimeAttachment attachment(new QFile(path));
        // The file is read when the part is rendered, not when it is made.
        writeFile(dir, QStringLiteral("a.csv"), "3;4\n");
        QCOMPARE(attachment.toString(), QStringLiteral("Content-Type: application/octet-stream; name=\"a.csv\"\r\n"
                                                       "Content-Transfer-Encoding: base64\r\n"
                                                       "Content-disposition: attachment\r\n\r\nMzs0Cg==\r\n"));
        // A name cannot end its quotes or its header line early.
        MimeAttachment odd(new QFile(path));
        odd.setContentName(QStringLiteral("x\"\r\nBcc: y.csv"));
        QVERIFY(odd.toString().startsWith(QStringLiteral("Content-Type: application/octet-stream; name=\"x___Bcc: y.csv\"\r\n")));
        // Rendering again must not repeat the disposition line.
        attachment.prepare();
        QCOMPARE(attachment.toString().count(QLatin1String("Content-disposition")), 1);
        // A file that cannot be read gives an empty body, not a failure.
        MimeAttachment missing(new QFile(QStringLiteral("/nonexistent/dir/x.bin")));
        QVERIFY(missing.toString().endsWith(QLatin1String("Content-disposition: attachment\r\n\r\n\r\n")));
    }

    void messageStructure()
    {
        QTemporaryDir dir;
        EmailAddress sender(QStringLiteral("s@example.org"), QStringLiteral("Doe, \"J\""));
        EmailAddress a(QStringLiteral("a@example.org"), QStringLiteral("A"));
        EmailAddress b(QStringLiteral("b@example.org"));
        EmailAddress c(QStringLiteral("c@example.org"), QStringLiteral("C"));
        EmailAddress hidden(QStringLiteral("hidden@example.org"), QStringLiteral("H"));
        MimeMessage message(true);
        message.setSender(&sender);
        message.addTo(&a);
        message.addRecipient(&b, MimeMessage::To);
        message.addRecipient(&c, MimeMessage::Cc);
        message.addBcc(&hidden);
        message.addRecipient(&hidden, 3);
        message.setSubject(QStringLiteral("Quorvane Report \u20AC"));
        // Letters beyond Latin-1 must reach the reader, not turn into "?".
        const QString hi = QStringLiteral("Hi caf\u00E9 \u20AC \u4E2D");
        MimeText text(hi);
        MimeAttachment attachment(new QFile(writeFile(dir, QStringLiteral("a.csv"), QByteArray(100, 'z'))));
        message.addPart(&text);
        message.addPart(&attachment);

        const QString rendered = message.toString();
        QVERIFY(!rendered.contains(QRegularExpression(QStringLiteral("[^\r]\n|\r[^\n]"))));
        QStringList lines = crlfLines(rendered);
        const QDateTime date = QDateTime::fromString(lines.at(4).mid(6), Qt::RFC2822Date);
        QVERIFY2(date.isValid() && qAbs(date.secsTo(QDateTime::currentDateTime())) < 60, qPrintable(lines.at(4)));
        const QString boundary = lines.at(6).section(QLatin1Char('='), 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(boundary).hasMatch(), qPrintable(boundary));
        lines[4] = lines.at(4).left(5);
        lines.replaceInStrings(boundary, QStringLiteral("B"));
        const QString base64 = QString::fromLatin1(QByteArray(100, 'z').toBase64());
        QCOMPARE(lines, (QStringList{
            "From: \"Doe, \\\"J\\\"\" <s@example.org>", "To: A <a@example.org>, <b@example.org>",
            "Cc: C <c@example.org>", "Subject: =?utf-8?B?" + QStringLiteral("Quorvane Report \u20AC").toUtf8().toBase64() + "?=", "Date:", "MIME-Version: 1.0",
            "Content-Type: multipart/related; boundary=B", "Content-Transfer-Encoding: 8bit", "",
            "--B", "Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: 8bit", "",
            QString::fromLatin1(hi.toUtf8()),
            "--B", "Content-Type: application/octet-stream; name=\"a.csv\"", "Content-Transfer-Encoding: base64",
            "Content-disposition: attachment", "", base64.left(76), base64.mid(76), "--B--", "", ""}));

        // Each multipart draws its own boundary.
        QVERIFY(!MimeMultiPart().toString().contains(boundary));
        // Parts go only into content that is exactly a multipart.
        message.setContent(&text);
        message.addPart(&attachment);
        QCOMPARE(message.getParts(), (QList<MimePart *>{&text}));
    }

    // 998 characters are the most a line of a mail may hold.
    void onlyTextPastTheLineLimitGoesQuotedPrintable()
    {
        MimeText fits(QString(998, 'x') + "\nend");
        MimeText past(QString(999, 'x'));
        QCOMPARE(crlfLines(fits.toString()).at(1), QStringLiteral("Content-Transfer-Encoding: 8bit"));
        QCOMPARE(crlfLines(past.toString()).at(1), QStringLiteral("Content-Transfer-Encoding: quoted-printable"));
    }

    // The message frees the multipart it made itself; the parts stay their
    // caller's, and one deleted first leaves the message.
    void messageFreesItsOwnMultipartOnly()
    {
        QPointer<MimePart> content, deletedFirst;
        MimeText kept(QStringLiteral("x"));
        {
            MimeMessage message;
            content = message.getContent();
            message.addPart(&kept);
            deletedFirst = new MimeText(QStringLiteral("y"));
            message.addPart(deletedFirst);
            delete deletedFirst.data();
            QCOMPARE(message.getParts(), (QList<MimePart *>{ &kept }));
        }
        QVERIFY(content.isNull());
        QVERIFY(!kept.toString().isEmpty());   // still alive: the message did not take it
    }

    // A sent mail is deleted on the exchange's thread: a part deleted there
    // leaves its message at once, not by an event the message's own thread
    // would serve while that thread may be deleting the message.
    void partDeletedOnAnotherThreadLeavesAtOnce()
    {
        MimeMessage message;
        MimeText kept(QStringLiteral("x"));
        message.addPart(&kept);
        auto *gone = new MimeText(QStringLiteral("y"));
        message.addPart(gone);
        std::thread([gone] { delete gone; }).join();
        QCOMPARE(message.getParts(), (QList<MimePart *>{ &kept }));
    }

    // Part headers travel as 7-bit text: extra lines beyond ASCII become
    // encoded words.
    void partHeadersBeyondAscii()
    {
        QTemporaryDir dir;
        MimeAttachment attachment(new QFile(writeFile(dir, QStringLiteral("a.csv"), "1")));
        attachment.addHeaderLine(QStringLiteral("X-Note: caf\u00E9"));
        QCOMPARE(crlfLines(attachment.toString()).at(2), QStringLiteral("X-Note: =?utf-8?B?Y2Fmw6k=?="));
    }

    // Each encoded word decodes on its own to whole characters, and the
    // words together to the text's own UTF-8: a lone surrogate is one unit
    // and never takes the emoji after it along.
    void encodedWordsKeepEveryCharacterWhole()
    {
        const QString emoji = QStringLiteral("\U0001F600");
        const QStringList texts{
            QStringLiteral("A") + QChar(0xD800) + emoji + QStringLiteral("B"),
            // the lone surrogate fills the first word: the emoji opens the next
            QString(19, QChar(0x00E9)) + QChar(0xD800) + emoji + QString(30, QChar(0x4E2D)),
        };
        for (const QString &text : texts) {
            QVERIFY(text.toUtf8().contains("\xF0\x9F\x98\x80"));
            QByteArray decoded;
            for (const QString &word : EncodedWord::encode(text).split(QStringLiteral("\r\n "))) {
                QVERIFY2(word.startsWith(QLatin1String("=?utf-8?B?")) && word.endsWith(QLatin1String("?="))
                             && word.size() <= 75,
                         qPrintable(word));
                const QByteArray bytes = QByteArray::fromBase64(word.mid(10, word.size() - 12).toLatin1());
                QCOMPARE(QString::fromUtf8(bytes).toUtf8(), bytes);
                decoded += bytes;
            }
            QCOMPARE(decoded, text.toUtf8());
        }
    }

    // Names beyond ASCII go as RFC 2231 parameters, long ones in sections,
    // in the content type and in the disposition; Python's mail parser, as a
    // receiving program would, gives back each name whole from both and
    // finds nothing wrong with the message. Encoded words, which no
    // parameter may hold (RFC 2047, 5), appear nowhere.
    void attachmentNamesSurviveAMailReader()
    {
        QTemporaryDir dir;
        const QStringList names{
            QStringLiteral("a.csv"),
            QStringLiteral("\u00C9t\u00E9-\u03A97.qlf"),
            QStringLiteral("100% s\u00FBr 'quoted' *; x=y.pdf"),
            QStringLiteral("\u4E2D\U0001F600 ") + QString(44, QChar(0x00E9)) + QStringLiteral(".csv"),
        };
        EmailAddress sender(QStringLiteral("s@example.org"));
        EmailAddress to(QStringLiteral("t@example.org"));
        MimeMessage message(true);
        message.setSender(&sender);
        message.addRecipient(&to);
        MimeText text(QStringLiteral("body"));
        message.addPart(&text);
        std::vector<std::unique_ptr<MimeAttachment>> attachments;
        for (const QString &name : names) {
            attachments.push_back(std::make_unique<MimeAttachment>(new QFile(writeFile(dir, "f", "1"))));
            attachments.back()->setContentName(name);
            message.addPart(attachments.back().get());
        }
        const QString path = writeFile(dir, QStringLiteral("m.eml"), message.toString().toLatin1());
        const QByteArray script =
            "import email, email.policy, json, sys\n"
            "m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)\n"
            "parts = [p for p in m.walk() if p.get_content_disposition() == 'attachment']\n"
            "defects = [str(d) for p in m.walk() for d in p.defects]\n"
            "print(json.dumps({'names': [[p.get_filename(), p.get_param('name'),"
            " p.get_param('filename', '', 'content-disposition')] for p in parts],"
            " 'defects': defects}))\n";
        const QJsonObject parsed =
            QJsonDocument::fromJson(TestEnv::programOutput(TestEnv::systemPython(), { "-c", script, path })).object();
        QCOMPARE(parsed.value("defects").toArray().size(), 0);
        QStringList parsedNames;
        for (const QJsonValue &pair : parsed.value("names").toArray())
            parsedNames << pair.toArray().at(0).toString() + '|' + pair.toArray().at(1).toString() + '|'
                               + pair.toArray().at(2).toString();
        QStringList expected;
        for (const QString &name : names)
            expected << name + '|' + name + '|' + (name == QLatin1String("a.csv") ? QString() : name);
        QCOMPARE(parsedNames, expected);

        const QByteArray rendered = TestEnv::readFile(path);
        // the ASCII name keeps its plain form
        QVERIFY(rendered.contains("Content-Type: application/octet-stream; name=\"a.csv\"\r\n"
                                  "Content-Transfer-Encoding: base64\r\nContent-disposition: attachment\r\n"));
        QVERIFY(!rendered.contains("=?"));
        for (const QByteArray &line : rendered.split('\n'))
            QVERIFY2(line.size() <= 78, line.constData());
    }
};

MIRELDA_TEST_MAIN(TestMailMime)
#include "tst_mailmime.moc"
