#pragma once

#include <QString>

// RFC 2047 encoded words: how text beyond ASCII travels in a header line,
// whose bytes must stay 7-bit whatever the body's charset.
class EncodedWord
{
public:
    // The text unchanged when it is ASCII; otherwise Base64 words of its UTF-8
    // bytes, each on a folded line of its own, none longer than 75
    // characters and none splitting a character.
    static QString encode(const QString &text);
    // A "Name: value" line with its value encoded as above.
    static QString headerLine(const QString &line);
    static bool isAscii(const QString &text);
};
