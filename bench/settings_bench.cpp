// Times the settings file and the engine location step: what each program start and each
// editor close costs, and a settings file with a line of many megabytes.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "enginelocation.h"
#include "inifile.h"
#include "programfolder.h"
#include "registry.h"

namespace {

const QString kSection = QStringLiteral("param");

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("fonvik.ini"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

void BM_ReadSettings(benchmark::State &state)
{
    QTemporaryDir dir;
    QByteArray bytes = "; settings\n[other]\nx=1\n";
    bytes += QByteArray(state.range(0), 'g');
    bytes += "\n[param]\nbase=/data/phones/\nName=\xCE\xCE\xCE\n";
    const QString path = writeFile(dir, bytes);
    for (auto _ : state) {
        const TIniFile ini(path);
        benchmark::DoNotOptimize(ini.ReadString(kSection, QStringLiteral("name"), QString()));
        benchmark::DoNotOptimize(ini.ReadString(kSection, QStringLiteral("base"), QString()));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size() * 2);
}
BENCHMARK(BM_ReadSettings)->Arg(0)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);

void BM_EditorSave(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "[param]\nbase=/data/\nName=Org\n");
    for (auto _ : state) {
        TIniFile ini(path);
        ini.WriteString(kSection, QStringLiteral("base"), QStringLiteral("/data/phones/"));
        ini.WriteString(kSection, QStringLiteral("Name"), QStringLiteral("Завод"));
    }
}
BENCHMARK(BM_EditorSave)->Unit(benchmark::kMicrosecond);

void BM_LocateEngineLibrary(benchmark::State &state)
{
    QTemporaryDir dir;
    setMachineStorePathForTesting(dir.filePath(QStringLiteral("machine.reg")));
    ProgramFolder::setForTesting(dir.path() + QLatin1Char('/'));
    LocateEngineLibrary(); // the first start sets it; the timed ones only read
    for (auto _ : state)
        LocateEngineLibrary();
    setMachineStorePathForTesting(QString());
    ProgramFolder::setForTesting(QString());
}
BENCHMARK(BM_LocateEngineLibrary)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
