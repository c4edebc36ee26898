#include "support/testenv.h"

#include "mail/emailaddress.h"
#include "mail/mimeattachment.h"
#include "mail/mimecontentformatter.h"
#include "mail/mimefile.h"
#include "mail/mimehtml.h"
#include "mail/mimeinlinefile.h"
#include "mail/mimemessage.h"
#include "mail/mimemultipart.h"
#include "mail/mimetext.h"
#include "mail/quotedprintable.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QStringList crlfLines(const QString &text)
{
    return text.split(QStringLiteral("\r\n"));
}

// Undo the soft breaks of quoted-printable folding.
QString unfoldSoftBreaks(const QString &text)
{
    QString joined = text;
    return joined.remove(QStringLiteral("=\r\n"));
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

}

class TestMailMime : public QObject
{
    Q_OBJECT

private slots:
    void quotedPrintableEncode_data();
    void quotedPrintableEncode();
    void quotedPrintableDecode_data();
    void quotedPrintableDecode();

    void plainFolding_data();
    void plainFolding();
    void quotedPrintableFolding_data();
    void quotedPrintableFolding();
    void quotedPrintableFoldingNeverSplitsAnEscape();

    void partHeaderLines();
    void textPartRendersAsUtf8();
    void textPartFollowsDeclaredCharset();
    void eightBitBodyStopsAtZeroByte();
    void base64BodyFoldsAt76();
    void quotedPrintableBody();
    void partRendersOnce();
    void fileParts();
    void missingFileGivesEmptyBody();
    void multiPartStructure();
    void emptyMultiPart();
    void boundaries();

    void messageExample();
    void messageRecipientLines();
    void messageHeaderEncodings();
    void messageDisplayNameWithSpecials();
    void messageRecipientLists();
    void messageDateHeader();
};

void TestMailMime::quotedPrintableEncode_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("plain letters") << QByteArray("abc") << QStringLiteral("abc");
    QTest::newRow("latin-1 byte") << QByteArray("\xE9") << QStringLiteral("=E9");
    QTest::newRow("equals sign") << QByteArray("a=b") << QStringLiteral("a=3Db");
    QTest::newRow("line end and tab") << QByteArray("a\r\n\tb") << QStringLiteral("a=0D=0A=09b");
    QTest::newRow("blanks stay") << QByteArray("a b ") << QStringLiteral("a b ");
    QTest::newRow("zero and delete") << QByteArray("\0\x7F", 2) << QStringLiteral("=00=7F");
    QTest::newRow("upper-case digits") << QByteArray("\xAB\xFF") << QStringLiteral("=AB=FF");
}

void TestMailMime::quotedPrintableEncode()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    QCOMPARE(QuotedPrintable::encode(input), expected);
}

void TestMailMime::quotedPrintableDecode_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("escape") << QStringLiteral("=3D") << QByteArray("=");
    QTest::newRow("no escape") << QStringLiteral("abc\xE9") << QByteArray("abc\xE9");
    QTest::newRow("lower-case digits") << QStringLiteral("=e9") << QByteArray("\xE9");
    QTest::newRow("soft break crlf") << QStringLiteral("ab=\r\ncd") << QByteArray("abcd");
    QTest::newRow("soft break lf") << QStringLiteral("ab=\ncd") << QByteArray("abcd");
    // Malformed escapes must not read past the text or invent bytes.
    QTest::newRow("trailing equals") << QStringLiteral("ab=") << QByteArray("ab=");
    QTest::newRow("one digit at end") << QStringLiteral("ab=4") << QByteArray("ab=4");
    QTest::newRow("bad digits") << QStringLiteral("=G1x") << QByteArray("=G1x");
    QTest::newRow("punctuation between 9 and A") << QStringLiteral("=:;") << QByteArray("=:;");
    QTest::newRow("beyond latin-1") << QString(QChar(0x20AC)) << QByteArray(1, '\0');
}

void TestMailMime::quotedPrintableDecode()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(QuotedPrintable::decode(input), expected);
}

void TestMailMime::plainFolding_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QList<int>>("lineLengths");
    QTest::newRow("empty") << 0 << QList<int>{0};
    QTest::newRow("76") << 76 << QList<int>{76};
    QTest::newRow("77") << 77 << QList<int>{76, 1};
    QTest::newRow("152") << 152 << QList<int>{76, 76};
    QTest::newRow("200") << 200 << QList<int>{76, 76, 48};
}

void TestMailMime::plainFolding()
{
    QFETCH(int, length);
    QFETCH(QList<int>, lineLengths);
    MimeContentFormatter formatter(76);
    const QString folded = formatter.format(QString(length, QLatin1Char('x')), false);
    QList<int> lengths;
    for (const QString &line : crlfLines(folded))
        lengths.append(line.size());
    QCOMPARE(lengths, lineLengths);
    QVERIFY(!folded.endsWith(QLatin1String("\r\n")));
}

void TestMailMime::quotedPrintableFolding_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    const QString x72(72, QLatin1Char('x'));
    const QString x73(73, QLatin1Char('x'));
    const QString x75(75, QLatin1Char('x'));
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("75 letters") << x75 << x75;
    QTest::newRow("76 letters") << x75 + QLatin1Char('y') << x75 + QStringLiteral("=\r\ny");
    QTest::newRow("80 letters") << x75 + QStringLiteral("abcde") << x75 + QStringLiteral("=\r\nabcde");
    QTest::newRow("escape fits") << x72 + QStringLiteral("=0Dz") << x72 + QStringLiteral("=0D=\r\nz");
    QTest::newRow("escape moves") << x73 + QStringLiteral("=0D") << x73 + QStringLiteral("=\r\n=0D");
    QTest::newRow("line feed restarts the count")
        << QStringLiteral("ab\n") + x75 << QStringLiteral("ab\n") + x75;
}

void TestMailMime::quotedPrintableFolding()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(MimeContentFormatter(76).format(input, true), expected);
}

void TestMailMime::quotedPrintableFoldingNeverSplitsAnEscape()
{
    QRandomGenerator random(4711);
    MimeContentFormatter formatter(76);
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes(int(random.bounded(1, 600)), '\0');
        for (char &b : bytes)
            b = char(random.bounded(256));
        const QString folded = formatter.format(QuotedPrintable::encode(bytes), true);
        for (const QString &line : crlfLines(folded)) {
            QVERIFY2(line.size() <= 76, qPrintable(line));
            // A line may end only in a soft break or in a complete escape.
            const int lastEquals = line.lastIndexOf(QLatin1Char('='));
            if (lastEquals >= 0)
                QVERIFY2(lastEquals == line.size() - 1 || lastEquals <= line.size() - 3, qPrintable(line));
        }
        QCOMPARE(QuotedPrintable::decode(unfoldSoftBreaks(folded)), bytes);
    }
}

void TestMailMime::partHeaderLines()
{
    MimePart bare;
    bare.setContentType(QStringLiteral("application/x-test"));
    bare.setContent("body");
    QCOMPARE(bare.toString(), QStringLiteral("Content-Type: application/x-test\r\n"
                                             "Content-Transfer-Encoding: 7bit\r\n"
                                             "\r\n"
                                             "body\r\n"));

    MimePart full;
    full.setContentType(QStringLiteral("text/plain"));
    full.setContentName(QStringLiteral("n.txt"));
    full.setCharset(QStringLiteral("utf-8"));
    full.setContentId(QStringLiteral("id1"));
    full.setEncoding(MimePart::EncodingQuotedPrintable);
    full.addHeaderLine(QStringLiteral("X-One: 1"));
    full.addHeaderLine(QStringLiteral("X-Two: 2"));
    full.setContent("a=b");
    QCOMPARE(full.toString(), QStringLiteral("Content-Type: text/plain; name=\"n.txt\"; charset=utf-8\r\n"
                                             "Content-Transfer-Encoding: quoted-printable\r\n"
                                             "Content-ID: <id1>\r\n"
                                             "X-One: 1\r\nX-Two: 2\r\n"
                                             "\r\n"
                                             "a=3Db\r\n"));
}

void TestMailMime::textPartRendersAsUtf8()
{
    MimeText hi(QStringLiteral("Hi"));
    QCOMPARE(hi.toString(), QStringLiteral("Content-Type: text/plain; charset=utf-8\r\n"
                                           "Content-Transfer-Encoding: 8bit\r\n"
                                           "\r\n"
                                           "Hi\r\n"));

    // Letters beyond Latin-1 must reach the reader, not turn into "?".
    const QString text = QStringLiteral("caf\u00E9 \u20AC \u4E2D");
    MimeText utf8(text);
    const QStringList lines = crlfLines(utf8.toString());
    QCOMPARE(lines.at(3).toLatin1(), text.toUtf8());

    MimeHtml html(QStringLiteral("<p>\u20AC</p>"));
    QVERIFY(html.toString().startsWith(QLatin1String("Content-Type: text/html; charset=utf-8\r\n")));
    QCOMPARE(crlfLines(html.toString()).at(3).toLatin1(), QStringLiteral("<p>\u20AC</p>").toUtf8());
}

void TestMailMime::textPartFollowsDeclaredCharset()
{
    MimeText latin(QStringLiteral("caf\u00E9"));
    latin.setCharset(QStringLiteral("iso-8859-1"));
    QCOMPARE(crlfLines(latin.toString()).at(3).toLatin1(), QByteArray("caf\xE9"));
}

void TestMailMime::eightBitBodyStopsAtZeroByte()
{
    MimePart part;
    part.setContentType(QStringLiteral("text/plain"));
    part.setEncoding(MimePart::Encoding8Bit);
    part.setContent(QByteArray("ab\0cd", 5));
    QVERIFY(part.toString().endsWith(QLatin1String("\r\n\r\nab\r\n")));
}

void TestMailMime::base64BodyFoldsAt76()
{
    // 57 bytes give exactly 76 Base64 characters; 58 give 80.
    for (int size : {57, 58, 5000}) {
        MimePart part;
        part.setContentType(QStringLiteral("application/octet-stream"));
        part.setEncoding(MimePart::EncodingBase64);
        QByteArray bytes;
        for (int i = 0; i < size; ++i)
            bytes.append(char(i * 7));
        part.setContent(bytes);
        const QString rendered = part.toString();
        const QString body = rendered.mid(rendered.indexOf(QLatin1String("\r\n\r\n")) + 4);
        QVERIFY(body.endsWith(QLatin1String("\r\n")));
        const QStringList lines = crlfLines(body.chopped(2));
        for (int i = 0; i + 1 < lines.size(); ++i)
            QCOMPARE(lines.at(i).size(), 76);
        QVERIFY(lines.last().size() <= 76);
        QCOMPARE(QByteArray::fromBase64(lines.join(QString()).toLatin1()), bytes);
    }
}

void TestMailMime::quotedPrintableBody()
{
    MimeText text(QString(100, QLatin1Char('a')) + QStringLiteral("\u00E9"));
    text.setEncoding(MimePart::EncodingQuotedPrintable);
    const QString rendered = text.toString();
    QVERIFY(rendered.contains(QLatin1String("Content-Transfer-Encoding: quoted-printable\r\n")));
    const QString body = rendered.mid(rendered.indexOf(QLatin1String("\r\n\r\n")) + 4).chopped(2);
    for (const QString &line : crlfLines(body))
        QVERIFY(line.size() <= 76);
    QCOMPARE(QuotedPrintable::decode(unfoldSoftBreaks(body)), text.getText().toUtf8());
}

void TestMailMime::partRendersOnce()
{
    MimeText text(QStringLiteral("first"));
    const QString rendered = text.toString();
    text.setText(QStringLiteral("second"));
    QCOMPARE(text.toString(), rendered);
    text.prepare();
    QVERIFY(text.toString().contains(QLatin1String("second")));
}

void TestMailMime::fileParts()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("a.csv"), "1;2\n");
    auto *attachment = new MimeAttachment(new QFile(path));
    // The file is read when the part is rendered, not when it is made.
    writeFile(dir, QStringLiteral("a.csv"), "3;4\n");
    const QStringList lines = crlfLines(attachment->toString());
    QCOMPARE(lines.mid(0, 5), (QStringList{
                                  QStringLiteral("Content-Type: application/octet-stream; name=\"a.csv\""),
                                  QStringLiteral("Content-Transfer-Encoding: base64"),
                                  QStringLiteral("Content-disposition: attachment"),
                                  QString(),
                                  QString::fromLatin1(QByteArray("3;4\n").toBase64()),
                              }));
    // Rendering again must not repeat the disposition line.
    attachment->prepare();
    QCOMPARE(attachment->toString().count(QLatin1String("Content-disposition")), 1);
    delete attachment;

    MimeInlineFile inlineFile(new QFile(path));
    QVERIFY(inlineFile.toString().contains(QLatin1String("\r\nContent-Disposition: inline\r\n\r\n")));

    MimeFile file(new QFile(path));
    QVERIFY(!file.toString().contains(QLatin1String("isposition")));
}

void TestMailMime::missingFileGivesEmptyBody()
{
    MimeAttachment attachment(new QFile(QStringLiteral("/nonexistent/dir/x.bin")));
    QVERIFY(attachment.toString().endsWith(QLatin1String("Content-disposition: attachment\r\n\r\n\r\n")));
}

void TestMailMime::multiPartStructure()
{
    MimeText text(QStringLiteral("Hi"));
    MimeText other(QStringLiteral("Ho"));
    MimeMultiPart multi(MimeMultiPart::Mixed);
    multi.addPart(&text);
    multi.addPart(&other);
    const QStringList lines = crlfLines(multi.toString());
    QVERIFY(lines.at(0).startsWith(QLatin1String("Content-Type: multipart/mixed; boundary=")));
    const QString boundary = lines.at(0).section(QLatin1Char('='), 1);
    QCOMPARE(lines.at(1), QStringLiteral("Content-Transfer-Encoding: 8bit"));
    QCOMPARE(lines.at(2), QString());
    QCOMPARE(lines.at(3), QLatin1String("--") + boundary);
    QCOMPARE(lines.at(7), QStringLiteral("Hi"));
    QCOMPARE(lines.at(8), QLatin1String("--") + boundary);
    QCOMPARE(lines.at(12), QStringLiteral("Ho"));
    QCOMPARE(lines.at(13), QLatin1String("--") + boundary + QLatin1String("--"));
    QCOMPARE(lines.mid(14), (QStringList{QString(), QString()}));

    multi.setMimeType(MimeMultiPart::Alternative);
    QCOMPARE(multi.getContentType(), QStringLiteral("multipart/alternative"));
    QCOMPARE(multi.getParts().size(), 2);
}

void TestMailMime::emptyMultiPart()
{
    MimeMultiPart multi(MimeMultiPart::Related);
    const QStringList lines = crlfLines(multi.toString());
    const QString boundary = lines.at(0).section(QLatin1Char('='), 1);
    QCOMPARE(lines.mid(2), (QStringList{QString(), QLatin1String("--") + boundary + QLatin1String("--"),
                                        QString(), QString()}));
}

void TestMailMime::boundaries()
{
    const QRegularExpression hex32(QStringLiteral("^[0-9a-f]{32}$"));
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        MimeMultiPart multi;
        const QString boundary = crlfLines(multi.toString()).at(0).section(QLatin1Char('='), 1);
        QVERIFY2(hex32.match(boundary).hasMatch(), qPrintable(boundary));
        seen.insert(boundary);
    }
    QCOMPARE(seen.size(), 50);
}

void TestMailMime::messageExample()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("a.csv"), QByteArray(100, 'z'));
    EmailAddress sender(QStringLiteral("s@example.org"), QStringLiteral("Sam Sender"));
    EmailAddress to(QStringLiteral("r@example.org"), QStringLiteral("Rita"));
    MimeMessage message(true);
    message.setSender(&sender);
    message.addRecipient(&to, MimeMessage::To);
    message.setSubject(QStringLiteral("Quorvane Report"));
    MimeText text;
    text.setText(QStringLiteral("Hi"));
    MimeAttachment attachment(new QFile(path));
    message.addPart(&text);
    message.addPart(&attachment);

    const QStringList lines = crlfLines(message.toString());
    QCOMPARE(lines.at(0), QStringLiteral("From: Sam Sender <s@example.org>"));
    QCOMPARE(lines.at(1), QStringLiteral("To: Rita <r@example.org>"));
    QCOMPARE(lines.at(2), QStringLiteral("Subject: Quorvane Report"));
    QVERIFY(lines.at(3).startsWith(QLatin1String("Date: ")));
    QCOMPARE(lines.at(4), QStringLiteral("MIME-Version: 1.0"));
    QVERIFY(lines.at(5).startsWith(QLatin1String("Content-Type: multipart/related; boundary=")));
    const QString boundary = lines.at(5).section(QLatin1Char('='), 1);
    QCOMPARE(lines.at(6), QStringLiteral("Content-Transfer-Encoding: 8bit"));
    QCOMPARE(lines.at(7), QString());
    QCOMPARE(lines.at(8), QLatin1String("--") + boundary);
    QCOMPARE(lines.at(9), QStringLiteral("Content-Type: text/plain; charset=utf-8"));
    QCOMPARE(lines.at(12), QStringLiteral("Hi"));
    QCOMPARE(lines.at(13), QLatin1String("--") + boundary);
    QCOMPARE(lines.at(14), QStringLiteral("Content-Type: application/octet-stream; name=\"a.csv\""));
    QCOMPARE(lines.at(16), QStringLiteral("Content-disposition: attachment"));
    QCOMPARE(lines.at(17), QString());
    QCOMPARE(lines.at(18).size(), 76);
    QCOMPARE(lines.at(19).size(), 60);
    QCOMPARE(lines.at(20), QLatin1String("--") + boundary + QLatin1String("--"));
    QCOMPARE(lines.mid(21), (QStringList{QString(), QString()}));
    QCOMPARE(message.getParts().size(), 2);
}

void TestMailMime::messageRecipientLines()
{
    EmailAddress sender(QStringLiteral("s@example.org"));
    EmailAddress a(QStringLiteral("a@example.org"), QStringLiteral("A"));
    EmailAddress b(QStringLiteral("b@example.org"));
    EmailAddress c(QStringLiteral("c@example.org"), QStringLiteral("C"));
    EmailAddress hidden(QStringLiteral("hidden@example.org"), QStringLiteral("H"));

    MimeMessage empty;
    empty.setSender(&sender);
    QStringList lines = crlfLines(empty.toString());
    QCOMPARE(lines.at(0), QStringLiteral("From: <s@example.org>"));
    QCOMPARE(lines.at(1), QStringLiteral("To:"));
    QVERIFY(!empty.toString().contains(QLatin1String("Cc:")));

    MimeMessage message;
    message.setSender(&sender);
    message.addTo(&a);
    message.addRecipient(&b, MimeMessage::To);
    message.addRecipient(&c, MimeMessage::Cc);
    message.addBcc(&hidden);
    lines = crlfLines(message.toString());
    QCOMPARE(lines.at(1), QStringLiteral("To: A <a@example.org>, <b@example.org>"));
    QCOMPARE(lines.at(2), QStringLiteral("Cc: C <c@example.org>"));
    QVERIFY(!message.toString().contains(QLatin1String("hidden")));
}

void TestMailMime::messageHeaderEncodings()
{
    EmailAddress sender(QStringLiteral("s@example.org"), QStringLiteral("J\u00F6 B: x"));
    MimeMessage message;
    message.setSender(&sender);
    const QString subject = QStringLiteral("Caf\u00E9 a_b? =?");

    message.setSubject(subject);
    message.setHeaderEncoding(MimePart::EncodingQuotedPrintable);
    QStringList lines = crlfLines(message.toString());
    QCOMPARE(lines.at(0), QStringLiteral("From: =?utf-8?Q?J=C3=B6_B=3A_x?= <s@example.org>"));
    // An underscore or "?" left bare would change or end the encoded word.
    QCOMPARE(lines.at(2), QStringLiteral("Subject: =?utf-8?Q?Caf=C3=A9_a=5Fb=3F_=3D=3F?="));

    message.setHeaderEncoding(MimePart::EncodingBase64);
    lines = crlfLines(message.toString());
    QCOMPARE(lines.at(0), QLatin1String("From: =?utf-8?B?") + QString::fromLatin1(sender.name().toUtf8().toBase64())
                              + QLatin1String("?= <s@example.org>"));
    QCOMPARE(lines.at(2), QLatin1String("Subject: =?utf-8?B?") + QString::fromLatin1(subject.toUtf8().toBase64())
                              + QLatin1String("?="));

    message.setSubject(QString());
    EmailAddress nameless(QStringLiteral("n@example.org"));
    message.setSender(&nameless);
    lines = crlfLines(message.toString());
    QCOMPARE(lines.at(0), QStringLiteral("From: <n@example.org>"));
    QCOMPARE(lines.at(2), QStringLiteral("Subject: =?utf-8?B?" "?="));

    // The default writes header text as raw UTF-8 bytes.
    message.setHeaderEncoding(MimePart::Encoding8Bit);
    message.setSubject(QStringLiteral("\u20AC"));
    QCOMPARE(crlfLines(message.toString()).at(2).toLatin1(), QByteArray("Subject: \xE2\x82\xAC"));
}

void TestMailMime::messageDisplayNameWithSpecials()
{
    EmailAddress sender(QStringLiteral("s@example.org"), QStringLiteral("Doe, \"J\""));
    MimeMessage message;
    message.setSender(&sender);
    QCOMPARE(crlfLines(message.toString()).at(0), QStringLiteral("From: \"Doe, \\\"J\\\"\" <s@example.org>"));
}

void TestMailMime::messageRecipientLists()
{
    EmailAddress a(QStringLiteral("a@example.org"));
    MimeMessage message(false);
    QCOMPARE(message.getContent(), static_cast<MimePart *>(nullptr));
    message.addRecipient(&a, 3);
    QVERIFY(message.getRecipients(MimeMessage::To).isEmpty());
    QVERIFY(message.getRecipients(MimeMessage::Cc).isEmpty());
    QVERIFY(message.getRecipients(MimeMessage::Bcc).isEmpty());
    message.addRecipient(&a, MimeMessage::Bcc);
    QCOMPARE(message.getRecipients(MimeMessage::Bcc).size(), 1);
    message.addTo(&a);
    QCOMPARE(message.getRecipients(3).size(), 1);

    // Parts go only into content that is exactly a multipart.
    MimeText single(QStringLiteral("x"));
    MimeText extra(QStringLiteral("y"));
    message.addPart(&extra);
    message.setContent(&single);
    message.addPart(&extra);
    QCOMPARE(message.getParts(), (QList<MimePart *>{&single}));
}

void TestMailMime::messageDateHeader()
{
    EmailAddress sender(QStringLiteral("s@example.org"));
    MimeMessage message;
    message.setSender(&sender);
    const QString dateLine = crlfLines(message.toString()).at(3);
    QVERIFY(dateLine.startsWith(QLatin1String("Date: ")));
    const QDateTime date = QDateTime::fromString(dateLine.mid(6), Qt::RFC2822Date);
    QVERIFY2(date.isValid(), qPrintable(dateLine));
    QVERIFY(qAbs(date.secsTo(QDateTime::currentDateTime())) < 60);
}

MIRELDA_TEST_MAIN(TestMailMime)
#include "tst_mailmime.moc"
