// Any reply body and Content-Type: decoded, split into lines, every tag read, the link
// scrambled and unscrambled, and the e-mail pattern matched.
#include "online/feedback_logic.h"
#include "online/scramble.h"
#include "online/service_reply.h"
#include "platform/text.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = bytes.indexOf('\0');
    const QByteArray contentType = split >= 0 ? bytes.left(split) : QByteArray();
    const QByteArray body = split >= 0 ? bytes.mid(split + 1) : bytes;

    const QString reply = pixmorrow::decodeReplyBody(body, contentType);
    const QStringList lines = pixmorrow::splitLines(reply);
    for (const QString& line : lines) {
        for (const char* tag : {"version", "url", "result"}) {
            (void)pixmorrow::ReadReplyTag(line, QString::fromLatin1(tag));
        }
    }
    const QString url =
        lines.size() > 1 ? pixmorrow::ReadReplyTag(lines[1], QStringLiteral("url")) : reply;
    if (pixmorrow::UnscrambleText(pixmorrow::ScrambleText(url)) !=
        QString::fromUtf8(url.toUtf8())) {
        __builtin_trap();
    }
    (void)pixmorrow::UnscrambleText(reply);
    (void)pixmorrow::IsValidEmail(reply.left(200));
    return 0;
}
