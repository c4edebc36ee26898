#pragma once

#include "mail/mimecontentformatter.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// One body part of a message. It renders itself once into MIME text: header
// lines, a blank line, the body in its transfer encoding and a closing CR LF.
// The rendered text holds one byte per character (codes 0 to 255).
class MimePart : public QObject
{
public:
    enum Encoding {
        Encoding7Bit = 0,
        Encoding8Bit = 1,
        EncodingBase64 = 2,
        EncodingQuotedPrintable = 3
    };

    MimePart();
    ~MimePart() override;

    const QString &getHeader() const;
    void setHeader(const QString &header);
    void addHeaderLine(const QString &line);

    const QByteArray &getContent() const;
    void setContent(const QByteArray &content);

    const QString &getContentId() const;
    void setContentId(const QString &contentId);

    const QString &getContentName() const;
    void setContentName(const QString &contentName);

    const QString &getContentType() const;
    void setContentType(const QString &contentType);

    const QString &getCharset() const;
    void setCharset(const QString &charset);

    Encoding getEncoding() const;
    void setEncoding(Encoding encoding);

    MimeContentFormatter &getContentFormatter();

    virtual QString toString();
    virtual void prepare();
    // False when the last rendering could not read the body (a file part
    // whose file cannot be opened): such a message must not be sent.
    virtual bool contentReadable() const { return true; }

    static QString encodingName(Encoding encoding);
    // "; attribute=value" for a header line: a name in ASCII as a quoted
    // string, one beyond ASCII as RFC 2231 parameters (attribute*=utf-8''
    // and its percent-encoded bytes), split into numbered sections on lines
    // of their own when long.
    static QString nameParameter(const QString &attribute, const QString &value);
    static bool nameBeyondAscii(const QString &value);

protected:
    QString header;
    QByteArray content;
    QString contentId;
    QString contentName;
    QString contentType;
    QString contentCharset;
    QString contentBoundary;
    Encoding contentEncoding;
    QString mimeString;
    bool prepared;
    MimeContentFormatter formatter;

    // The encoding the body travels in: the one chosen, unless the body
    // cannot travel in it.
    virtual Encoding transferEncoding() const;

private:
    QString contentTypeLine() const;
    QString encodedHeader() const;
    QString renderedBody(Encoding encoding) const;
};
