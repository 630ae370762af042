// The viewer on a large directory: the time from creating the main window to its first
// painted rows, the time of one name search, and the resident memory after start-up, on a
// table of 1 000 000 entries; beside them the engine's own time for the full list, which
// the start-up is held against.
//
// The demo table is made once into the build folder (bench/data/viewer/TelBase.dbf).
// Every benchmark runs in a fresh process state only for its first iteration: the engine
// keeps what it learnt about a table, so run one benchmark per process
// (--benchmark_filter) for the cold figures.

#include <chrono>
#include <cstdio>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>

#include "Unit1.h"
#include "about.h"
#include "demo_table.h"
#include "engineloader.h"
#include "errorbox.h"
#include "programfolder.h"
#include "registry.h"

namespace {

constexpr int kEntries = 1000000;
const QString kDataDir = QStringLiteral(FONVIK_BENCH_DATA_DIR "/viewer/");
const QString kEngineDir = QStringLiteral(FONVIK_BENCH_ENGINE_DIR "/");

// The program folder, the engine location store and the error box for the viewer.
bool prepare(benchmark::State &state)
{
    static bool ready = false;
    static bool ok = false;
    if (!ready) {
        ready = true;
        ok = !bench::demoTable(QFile::encodeName(kDataDir).toStdString(), "TelBase.dbf",
                               uint32_t(kEntries))
                  .empty();
        ProgramFolder::setForTesting(kDataDir);
        setMachineStorePathForTesting(kDataDir + QStringLiteral("machine.reg"));
        QFile store(kDataDir + QStringLiteral("machine.reg"));
        ok = ok && store.open(QIODevice::WriteOnly);
        store.write("[SOFTWARE\\Borland\\Database Engine]\nDLLPATH=sz:" + kEngineDir.toUtf8() +
                    "\\0\n");
        store.close();
        QFile::remove(kDataDir + QStringLiteral("fonvik.ini"));
        EngineLoader::instance().SetFolders({kEngineDir});
        setErrorBoxPresenter([](const QString &, const QString &text) {
            std::fprintf(stderr, "error box: %s\n", text.toUtf8().constData());
        });
    }
    if (!ok)
        state.SkipWithError("cannot make the benchmark table");
    return ok;
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Creating Form1 runs the whole start-up, the full list included; then the window is shown
// and its grid painted once.
void BM_StartupToFirstRows(benchmark::State &state)
{
    if (!prepare(state))
        return;
    for (auto _ : state) {
        Form1 = new TForm1;
        AboutBox = new TAboutBox(Form1);
        Form1->show();
        Form1->DBGrid1->viewport()->repaint();
        state.PauseTiming();
        if (Form1->DBGrid1->model()->rowCount() != kEntries)
            state.SkipWithError("the full list is not shown");
        state.counters["rss_mb"] = double(residentKilobytes()) / 1024.0;
        delete Form1;
        Form1 = nullptr;
        AboutBox = nullptr;
        state.ResumeTiming();
    }
    state.counters["table_mb"] =
        double(QFileInfo(kDataDir + QStringLiteral("TelBase.dbf")).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_StartupToFirstRows)->Unit(benchmark::kMillisecond)->Iterations(3);

// The engine alone: the full-list statement run and its first screen of rows read.
void BM_EngineFullList(benchmark::State &state)
{
    if (!prepare(state))
        return;
    EngineLoader &loader = EngineLoader::instance();
    dbe_engine *engine = loader.Engine();
    const DbeApi &api = loader.Api();
    const QByteArray sql = "select * from '" +
                           QFile::encodeName(kDataDir + QStringLiteral("TelBase.dbf")) +
                           "'\nORDER BY FIO\n";
    for (auto _ : state) {
        dbe_cursor *cursor = nullptr;
        if (api.query(engine, sql.constData(), nullptr, 0, &cursor) != DBE_OK) {
            state.SkipWithError(api.errmsg(engine));
            break;
        }
        char buf[256];
        for (int row = 0; row < 25; ++row)
            for (int f = 0; f < 7; ++f)
                api.cursor_text(cursor, row, f, buf, sizeof buf, nullptr);
        benchmark::DoNotOptimize(api.cursor_row_count(cursor));
        api.cursor_close(cursor);
    }
}
BENCHMARK(BM_EngineFullList)->Unit(benchmark::kMillisecond)->Iterations(3);

// Enter released in the name box holding a fragment, until the grid has painted the result.
void BM_NameSearch(benchmark::State &state)
{
    if (!prepare(state))
        return;
    Form1 = new TForm1;
    AboutBox = new TAboutBox(Form1);
    Form1->show();
    Form1->DBGrid1->viewport()->repaint();
    TEdit *box = Form1->Edit1;
    box->setText(QStringLiteral("Иван"));
    box->setFocus();
    for (auto _ : state) {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(box, &release);
        Form1->DBGrid1->viewport()->repaint();
        state.PauseTiming();
        state.counters["rows"] = Form1->DBGrid1->model()->rowCount();
        state.ResumeTiming();
    }
    delete Form1;
    Form1 = nullptr;
    AboutBox = nullptr;
}
BENCHMARK(BM_NameSearch)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
