#include "programming/programimage.h"

#include "core/imagecodec.h"
#include "core/loggerrecord.h"
#include "core/memorymap.h"

namespace ProgramImage {

namespace {
quint32 recognisedPasswordWord(quint32 word)
{
    const quint32 password = word & PasswordBits::PasswordMask;
    const quint32 access = word & (PasswordBits::ReadWithout | PasswordBits::WriteWithout);
    if (password == 0 && access == 0)
        return 0;
    return PasswordBits::Marker | access | password;
}
}

QByteArray build(const LoggerRecord &program, const QByteArray &base)
{
    LoggerRecord r = program;
    r.configWord |= ConfigBits::Programmed;
    r.passwordWord = recognisedPasswordWord(r.passwordWord);
    return ImageCodec::encode(r, base);
}

QList<Span> changedSpans(const QByteArray &current, const QByteArray &target, int begin, int end,
                         const QByteArray &unsure)
{
    QList<Span> spans;
    end = qMin(end, target.size());
    auto differs = [&](int at) {
        return at >= current.size() || current.at(at) != target.at(at) || (at < unsure.size() && unsure.at(at));
    };
    int at = begin;
    while (at < end) {
        if (!differs(at)) {
            ++at;
            continue;
        }
        // greedy from the left: the fewest fixed-length frames that cover
        const int limit = qMin(end, at + MemoryMap::MaxWriteFrameBytes);
        int last = at;
        for (int k = at; k < limit; ++k)
            if (differs(k))
                last = k;
        spans.append({ at, target.mid(at, last + 1 - at) });
        at = limit;
    }
    return spans;
}

void markWritten(QByteArray &unsure, const QList<Span> &spans)
{
    if (unsure.size() < MemoryMap::ImageSize)
        unsure.append(QByteArray(MemoryMap::ImageSize - unsure.size(), '\0'));
    for (const Span &span : spans)
        unsure.replace(span.address, span.data.size(), QByteArray(span.data.size(), '\1'));
}

bool holdsProgram(const QByteArray &readBack, const QByteArray &program)
{
    using namespace MemoryMap;
    if (readBack.size() < BlockSize || program.size() < BlockSize)
        return false;
    QByteArray expected = program.left(BlockSize);
    const QByteArray held = readBack.left(BlockSize);
    const struct { int address, length; } keptByTheLogger[] = {
        { RecordedCount, 4 }, { AlarmStatus, 4 }, { LowestValues, HighestValues + 6 - LowestValues }, { Battery, 1 }
    };
    for (const auto &field : keptByTheLogger)
        expected.replace(field.address, field.length, held.mid(field.address, field.length));
    return expected == held;
}

}
