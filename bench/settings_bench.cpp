// What a keystroke in the quality field costs (the whole settings.ini is saved, flushed to
// disk and renamed into place) and what one text lookup costs in a shipped translation (a
// linear scan of its lines).
#include "app/ini_store.h"
#include "localization/language.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_SaveSettingsPerKeystroke(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    pixmorrow::IniStore store;
    store.setValue("Settings", "Destination", "/home/user/Pictures/converted");
    int quality = 1;
    for (auto _ : state) {
        store.setValue("Settings", "OutputQuality", QString::number(quality++ % 100 + 1));
        store.save(path);
    }
}
BENCHMARK(BM_SaveSettingsPerKeystroke)->Unit(benchmark::kMicrosecond);

void BM_TranslateTextLastKey(benchmark::State& state) {
    QTemporaryDir program;
    QDir(program.path()).mkdir("Languages");
    QFile::copy(QStringLiteral(SHIPPED_LANGUAGES "/German.lang.txt"),
                program.path() + "/Languages/German.lang.txt");
    qputenv("PIXMORROW_PROGRAM_DIR", program.path().toLocal8Bit());
    pixmorrow::LoadLanguage("German.lang.txt");
    const QString key = QStringLiteral("ERROR");  // the file's last entry
    for (auto _ : state)
        benchmark::DoNotOptimize(pixmorrow::TranslateText(key));
}
BENCHMARK(BM_TranslateTextLastKey)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
