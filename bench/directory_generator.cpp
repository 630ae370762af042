#include "directory_generator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dbengine.h"

namespace bench {

namespace {

// Name parts in 1251, written as escapes of their UTF-8 spelling's letters.
std::string cp(const char *utf8)
{
    std::string out;
    for (const char *p = utf8; *p;) {
        const auto c = uint8_t(*p);
        if (c < 0x80) {
            out += char(c);
            ++p;
            continue;
        }
        const unsigned code = ((c & 0x1Fu) << 6) | (uint8_t(p[1]) & 0x3Fu);
        p += 2;
        if (code >= 0x410 && code <= 0x44F)
            out += char(0xC0 + (code - 0x410));
        else if (code == 0x401)
            out += char(0xA8);
        else if (code == 0x451)
            out += char(0xB8);
    }
    return out;
}

const char *const kSurnames[] = {
    "Смирнов", "Кузнецов", "Попов", "Васильев", "Петров", "Соколов", "Михайлов", "Новиков",
    "Фёдоров", "Морозов", "Волков", "Алексеев", "Лебедев", "Семёнов", "Егоров", "Павлов",
    "Козлов", "Степанов", "Николаев", "Орлов", "Андреев", "Макаров", "Никитин", "Захаров",
    "Зайцев", "Соловьёв", "Борисов", "Яковлев", "Григорьев", "Романов", "Воробьёв", "Сергеев",
    "Кузьмин", "Фролов", "Александров", "Дмитриев", "Королёв", "Гусев", "Киселёв", "Ильин",
    "Максимов", "Поляков", "Сорокин", "Виноградов", "Ковалёв", "Белов", "Медведев", "Антонов",
    "Тарасов", "Жуков", "Баранов", "Филиппов", "Комаров", "Давыдов", "Беляев", "Герасимов",
    "Богданов", "Осипов", "Сидоров", "Матвеев", "Титов", "Марков", "Миронов", "Крылов",
    "Куликов", "Карпов", "Власов", "Мельников", "Денисов", "Гаврилов", "Тихонов", "Казаков",
    "Афанасьев", "Данилов", "Савельев", "Тимофеев", "Фомин", "Чернов", "Абрамов", "Мартынов",
    "Ефимов", "Федотов", "Щербаков", "Назаров", "Калинин", "Исаев", "Чернышёв", "Быков",
    "Маслов", "Родионов", "Коновалов", "Лазарев", "Воронин", "Климов", "Филатов", "Пономарёв",
    "Голубев", "Кудрявцев", "Прохоров", "Наумов", "Потапов", "Журавлёв", "Овчинников", "Трофимов",
    "Леонов", "Соболев", "Ермаков", "Колесников", "Гончаров", "Емельянов", "Никифоров", "Грачёв",
    "Котов", "Гришин", "Ёлкин", "Ершов", "Шубин", "Ивлев", "Иванов", "Ивашов", "Ивакин",
    "Ивашкин", "Сивков", "Ливанов", "Ивахнов", "Кривошеев", "Сиверцев"};
const char *const kMaleNames[] = {
    "Александр", "Сергей", "Дмитрий", "Андрей", "Алексей", "Максим", "Евгений", "Владимир",
    "Михаил", "Николай", "Олег", "Павел", "Роман", "Юрий", "Игорь", "Артём", "Виктор",
    "Константин", "Денис", "Антон", "Пётр", "Григорий", "Борис", "Иван"};
const char *const kFemaleNames[] = {
    "Елена", "Ольга", "Наталья", "Татьяна", "Ирина", "Светлана", "Анна", "Мария", "Юлия",
    "Екатерина", "Марина", "Людмила", "Галина", "Надежда", "Валентина", "Оксана", "Ксения",
    "Дарья", "Алёна", "Вера", "Любовь", "Софья", "Нина", "Жанна"};
const char *const kFathers[] = {
    "Александров", "Сергеев", "Дмитриев", "Андреев", "Алексеев", "Николаев", "Владимиров",
    "Михайлов", "Петров", "Юрьев", "Викторов", "Олегов", "Павлов", "Борисов", "Григорьев",
    "Евгеньев", "Романов", "Игорев", "Анатольев", "Васильев", "Фёдоров", "Степанов",
    "Константинов", "Иванов"};
const char *const kDepartments[] = {
    "Бухгалтерия", "Отдел кадров", "Планово-экономический отдел", "Юридический отдел",
    "Отдел снабжения", "Склад", "Отдел сбыта", "Канцелярия", "Отдел информационных технологий",
    "Служба безопасности", "Технический отдел", "Конструкторское бюро", "Отдел главного механика",
    "Отдел главного энергетика", "Лаборатория", "Отдел технического контроля", "Цех № 1",
    "Цех № 2", "Цех № 3", "Транспортный цех", "Ремонтно-механический цех", "Дирекция",
    "Приёмная директора", "Финансовый отдел", "Отдел охраны труда", "Хозяйственный отдел",
    "Архив", "Столовая", "Медпункт", "Отдел маркетинга"};
const char *const kPositions[] = {
    "Начальник отдела", "Заместитель начальника", "Ведущий специалист", "Специалист",
    "Главный специалист", "Инженер", "Ведущий инженер", "Инженер-конструктор", "Бухгалтер",
    "Главный бухгалтер", "Экономист", "Юрисконсульт", "Секретарь", "Кладовщик", "Мастер",
    "Технолог", "Оператор", "Программист", "Системный администратор", "Водитель",
    "Слесарь", "Электрик", "Лаборант", "Менеджер"};

template<typename T, size_t N>
const char *pick(std::mt19937 &rng, T (&list)[N])
{
    return list[std::uniform_int_distribution<size_t>(0, N - 1)(rng)];
}

std::string surnameFemale(const std::string &male)
{
    // Most Russian surnames take "а" for women (Иванов -> Иванова, Ёлкин -> Ёлкина).
    return male + cp("а");
}

dbe_field_desc field(const char *name, char type, int length)
{
    dbe_field_desc d{};
    std::snprintf(d.name, sizeof d.name, "%s", name);
    d.type = type;
    d.length = length;
    d.decimals = 0;
    return d;
}

bool generate(const std::string &path, uint32_t entries)
{
    dbe_engine *engine = nullptr;
    if (dbe_open(&engine) != DBE_OK)
        return false;
    const dbe_field_desc fields[] = {field("FIO", 'C', 60),    field("OTDEL", 'C', 60),
                                     field("DOLJ", 'C', 50),   field("KAB", 'N', 6),
                                     field("NVNUTR", 'N', 6),  field("NGOROD", 'N', 11),
                                     field("NSOT", 'C', 20)};
    const std::string tmp = path + ".tmp";
    bool ok = dbe_table_create(engine, tmp.c_str(), fields, 7, DBE_LDID_1251,
                               DBE_CREATE_OVERWRITE) == DBE_OK;
    dbe_table *table = nullptr;
    ok = ok && dbe_table_open(engine, tmp.c_str(), &table) == DBE_OK;
    std::mt19937 rng(20261211);
    constexpr uint32_t kBatch = 5000;
    std::vector<std::string> cells;
    std::vector<const char *> values;
    for (uint32_t done = 0; ok && done < entries;) {
        const uint32_t n = std::min(kBatch, entries - done);
        cells.clear();
        for (uint32_t i = 0; i < n; ++i) {
            const bool female = rng() % 2;
            const std::string surname = cp(pick(rng, kSurnames));
            std::string fio = female ? surnameFemale(surname) : surname;
            fio += ' ';
            fio += cp(female ? pick(rng, kFemaleNames) : pick(rng, kMaleNames));
            fio += ' ';
            fio += cp(pick(rng, kFathers));
            fio += cp(female ? "на" : "ич");
            cells.push_back(fio);
            cells.push_back(cp(pick(rng, kDepartments)));
            cells.push_back(cp(pick(rng, kPositions)));
            cells.push_back(std::to_string(100 + rng() % 900));
            cells.push_back(std::to_string(100000 + (done + i) % 900000));
            cells.push_back(std::to_string(4950000000u + rng() % 10000000u));
            cells.push_back("+7 9" + std::to_string(10 + rng() % 90) + " " +
                            std::to_string(100 + rng() % 900) + "-" +
                            std::to_string(10 + rng() % 90) + "-" +
                            std::to_string(10 + rng() % 90));
        }
        values.clear();
        for (const std::string &c : cells)
            values.push_back(c.c_str());
        ok = dbe_table_append(table, values.data(), n, nullptr) == DBE_OK;
        done += n;
    }
    if (!ok)
        std::fprintf(stderr, "generating %s: %s\n", path.c_str(), dbe_errmsg(engine));
    dbe_table_close(table);
    dbe_close(engine);
    std::error_code ec;
    if (ok)
        std::filesystem::rename(tmp, path, ec);
    return ok && !ec;
}

} // namespace

const char *departmentFragment()
{
    // In 13 of the 30 department names, so a large share of the table matches.
    static const std::string f = cp("%отдел%");
    return f.c_str();
}

std::string directoryTable(const std::string &folder, uint32_t entries)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string path = folder + "/directory-" + std::to_string(entries) + ".dbf";
    if (std::filesystem::exists(path, ec))
        return path;
    return generate(path, entries) ? path : std::string();
}

} // namespace bench
