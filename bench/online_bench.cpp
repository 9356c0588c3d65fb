// The online parts' own work, apart from the network: the form body of a long feedback, the
// reading of a reply, the stored link's scrambling and the e-mail pattern.
#include "online/feedback_logic.h"
#include "online/form_post.h"
#include "online/scramble.h"
#include "online/service_reply.h"
#include "platform/text.h"

#include <benchmark/benchmark.h>

namespace {

void BM_EncodeLongFeedback(benchmark::State& state) {
    const pixmorrow::FormFields fields{{"cmd", "feedback"},
                                       {"appname", "TARNWICK - Pixmorrow"},
                                       {"version", "2.0"},
                                       {"feedback", QString(10000, u'ü')},
                                       {"email", "someone@mail.example"}};
    for (auto _ : state)
        benchmark::DoNotOptimize(pixmorrow::encodeFormBody(fields));
    state.SetBytesProcessed(state.iterations() * pixmorrow::encodeFormBody(fields).size());
}
BENCHMARK(BM_EncodeLongFeedback);

void BM_ReadCheckReply(benchmark::State& state) {
    const QByteArray body =
        "<version>2.1</version>\r\n<url>https://downloads.example/pixmorrow-2.1.zip</url>\r\n"
        "<news>-</news>\r\n<result>1</result>\r\n";
    for (auto _ : state) {
        const QStringList lines =
            pixmorrow::splitLines(pixmorrow::decodeReplyBody(body, "text/plain; charset=utf-8"));
        benchmark::DoNotOptimize(pixmorrow::ReadReplyTag(lines.value(0), "version"));
        benchmark::DoNotOptimize(pixmorrow::ReadReplyTag(lines.value(1), "url"));
        benchmark::DoNotOptimize(pixmorrow::ReadReplyTag(lines.value(3), "result"));
    }
}
BENCHMARK(BM_ReadCheckReply);

void BM_ScrambleRoundTrip(benchmark::State& state) {
    const QString url = QStringLiteral("https://downloads.example/pixmorrow-2.1.zip");
    for (auto _ : state)
        benchmark::DoNotOptimize(pixmorrow::UnscrambleText(pixmorrow::ScrambleText(url)));
}
BENCHMARK(BM_ScrambleRoundTrip);

void BM_EmailPattern(benchmark::State& state) {
    const QString email = QStringLiteral("first.last+tag@mail-server.example.org");
    for (auto _ : state)
        benchmark::DoNotOptimize(pixmorrow::IsValidEmail(email));
}
BENCHMARK(BM_EmailPattern);

}  // namespace

BENCHMARK_MAIN();
