// The viewer on a large directory: the time from creating the main window to its first
// painted rows, the time of one name search, and the resident memory after start-up, on a
// table of 1 000 000 entries; beside them the engine's own time for the full list, which
// the start-up is held against.
//
// The table is generated once into the build folder (bench/data/viewer/TelBase.dbf).
// Every benchmark runs in a fresh process state only for its first iteration: the engine
// keeps what it learnt about a table, so run one benchmark per process
// (--benchmark_filter) for the cold figures.

#include <chrono>
#include <cstdio>
#include <random>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>

#include "Unit1.h"
#include "about.h"
#include "cp1251.h"
#include "engineloader.h"
#include "errorbox.h"
#include "programfolder.h"
#include "registry.h"

namespace {

constexpr int kEntries = 1000000;
const QString kDataDir = QStringLiteral(FONVIK_BENCH_DATA_DIR "/viewer/");
const QString kEngineDir = QStringLiteral(FONVIK_BENCH_ENGINE_DIR "/");

// The directory table's record: deleted flag, FIO C(60), OTDEL C(60), DOLJ C(50),
// KAB N(6), NVNUTR N(6), NGOROD N(11), NSOT C(20).
constexpr int kWidths[] = {60, 60, 50, 6, 6, 11, 20};
constexpr char kTypes[] = {'C', 'C', 'C', 'N', 'N', 'N', 'C'};
constexpr const char *kNames[] = {"FIO", "OTDEL", "DOLJ", "KAB", "NVNUTR", "NGOROD", "NSOT"};
constexpr int kRecordSize = 1 + 60 + 60 + 50 + 6 + 6 + 11 + 20;
constexpr int kHeaderSize = 32 + 32 * 7 + 1;

qint64 tableSize()
{
    return qint64(kHeaderSize) + qint64(kRecordSize) * kEntries + 1;
}

QByteArray field(const QString &text, int index)
{
    QByteArray bytes = Cp1251::fromUnicode(text).left(kWidths[index]);
    const QByteArray pad(kWidths[index] - bytes.size(), ' ');
    return kTypes[index] == 'N' ? pad + bytes : bytes + pad;
}

// Writes the table when it is missing or of another size. The same table every time.
bool ensureTable(const QString &path)
{
    if (QFileInfo(path).size() == tableSize())
        return true;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray header(32, '\0');
    header[0] = 0x03;
    header[1] = char(126);
    header[2] = 12;
    header[3] = 11;
    for (int i = 0; i < 4; ++i)
        header[4 + i] = char((quint32(kEntries) >> (8 * i)) & 0xFF);
    header[8] = char(kHeaderSize & 0xFF);
    header[9] = char(kHeaderSize >> 8);
    header[10] = char(kRecordSize & 0xFF);
    header[11] = char(kRecordSize >> 8);
    header[29] = char(0xC9); // code page 1251
    for (int i = 0; i < 7; ++i) {
        QByteArray d(32, '\0');
        d.replace(0, int(qstrlen(kNames[i])), kNames[i]);
        d[11] = kTypes[i];
        d[16] = char(kWidths[i]);
        header += d;
    }
    header += char(0x0D);
    file.write(header);
    const QStringList surnames = QStringLiteral(
        "Смирнов Кузнецов Попов Васильев Петров Соколов Михайлов Новиков Фёдоров Морозов Волков "
        "Алексеев Лебедев Семёнов Егоров Павлов Козлов Степанов Николаев Орлов Андреев Макаров "
        "Никитин Захаров Зайцев Соловьёв Борисов Яковлев Григорьев Романов Воробьёв Сергеев "
        "Кузьмин Фролов Александров Дмитриев Королёв Гусев Киселёв Ильин Иванов Сидоров")
                                     .split(QLatin1Char(' '));
    const QStringList given = QStringLiteral(
        "Александр Сергей Дмитрий Андрей Алексей Максим Евгений Владимир Михаил Николай Олег "
        "Павел Роман Юрий Игорь Артём Виктор Иван Пётр Борис")
                                  .split(QLatin1Char(' '));
    const QStringList departments = QStringLiteral(
        "Бухгалтерия;Отдел кадров;Планово-экономический отдел;Служба безопасности;Канцелярия;"
        "Отдел снабжения;Юридический отдел;Гараж;Столовая;Информационный отдел")
                                        .split(QLatin1Char(';'));
    const QStringList positions = QStringLiteral(
        "Начальник отдела;Ведущий специалист;Инженер;Бухгалтер;Секретарь;Водитель;Юрист")
                                      .split(QLatin1Char(';'));
    std::mt19937 random(20261211);
    const auto pick = [&](const QStringList &list) {
        return list.at(int(random() % quint32(list.size())));
    };
    QByteArray batch;
    for (int i = 0; i < kEntries; ++i) {
        const QString fio = pick(surnames) + QLatin1Char(' ') + pick(given) + QLatin1Char(' ') +
                            pick(given) + QStringLiteral("ович");
        batch += ' ';
        batch += field(fio, 0);
        batch += field(pick(departments), 1);
        batch += field(pick(positions), 2);
        batch += field(QString::number(1 + random() % 900), 3);
        batch += field(QString::number(100 + random() % 9000), 4);
        batch += field(QString::number(2000000 + random() % 999999), 5);
        batch += field(QStringLiteral("89") + QString::number(100000000 + random() % 899999999), 6);
        if (batch.size() > (1 << 22)) {
            file.write(batch);
            batch.clear();
        }
    }
    batch += char(0x1A);
    file.write(batch);
    return file.error() == QFile::NoError;
}

// The program folder, the engine location store and the error box for the viewer.
bool prepare(benchmark::State &state)
{
    static bool ready = false;
    static bool ok = false;
    if (!ready) {
        ready = true;
        ok = ensureTable(kDataDir + QStringLiteral("TelBase.dbf"));
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
        state.SkipWithError("cannot write the benchmark table");
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
    state.counters["table_mb"] = double(tableSize()) / (1024.0 * 1024.0);
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
