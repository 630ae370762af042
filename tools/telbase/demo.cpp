#include "demo.h"

#include <string_view>

#include "cp1251.h"

namespace telbase {

namespace {

constexpr std::uint64_t kDemoSeed = 0x54656C42617365ULL;

// Chances, per mille, chosen so that about one FIO in seven holds "Ив":
// 1 - (1 - 0.075) * (1 - 0.5 * 0.05) * (1 - 0.05) = 0.143.
constexpr std::uint32_t kIvSurnamePerMille = 75;
constexpr std::uint32_t kIvanGivenPerMille = 50;  // of the men
constexpr std::uint32_t kIvanFatherPerMille = 50; // of everyone's fathers
constexpr std::uint32_t kFemalePerMille = 550;
constexpr std::uint32_t kCityNumberPerMille = 850;
constexpr std::uint32_t kMobilePerMille = 800;

// Surnames in their male form; the female form follows the usual endings.
constexpr std::string_view kIvSurnames[] = {
    "Иванов", "Ивлев", "Ивашов", "Ивакин", "Ивашкин", "Ивонин", "Ивченко", "Ивахненко",
};
constexpr std::string_view kSurnames[] = {
    "Смирнов", "Кузнецов", "Попов", "Васильев", "Петров", "Соколов", "Михайлов", "Новиков",
    "Фёдоров", "Морозов", "Волков", "Алексеев", "Лебедев", "Семёнов", "Егоров", "Павлов",
    "Козлов", "Степанов", "Николаев", "Орлов", "Андреев", "Макаров", "Никитин", "Захаров",
    "Зайцев", "Соловьёв", "Борисов", "Яковлев", "Григорьев", "Романов", "Воробьёв", "Сергеев",
    "Кузьмин", "Фролов", "Александров", "Дмитриев", "Королёв", "Гусев", "Киселёв", "Ильин",
    "Максимов", "Поляков", "Сорокин", "Виноградов", "Ковалёв", "Белов", "Медведев", "Антонов",
    "Тарасов", "Жуков", "Баранов", "Филиппов", "Комаров", "Давыдов", "Беляев", "Герасимов",
    "Богданов", "Осипов", "Сидоров", "Матвеев", "Титов", "Марков", "Миронов", "Крылов",
    "Куликов", "Карпов", "Власов", "Денисов", "Гаврилов", "Тихонов", "Казаков", "Афанасьев",
    "Данилов", "Савельев", "Тимофеев", "Фомин", "Чернов", "Абрамов", "Мартынов", "Ефимов",
    "Федотов", "Щербаков", "Назаров", "Калинин", "Исаев", "Чернышёв", "Быков", "Маслов",
    "Родионов", "Коновалов", "Лазарев", "Воронин", "Климов", "Филатов", "Пономарёв", "Голубев",
    "Кудрявцев", "Прохоров", "Наумов", "Потапов", "Журавлёв", "Овчинников", "Трофимов", "Леонов",
    "Соболев", "Ермаков", "Колесников", "Гончаров", "Емельянов", "Никифоров", "Грачёв", "Котов",
    "Гришин", "Ефремов", "Архипов", "Громов", "Кириллов", "Малышев", "Панов", "Моисеев",
    "Румянцев", "Акимов", "Кондратьев", "Бирюков", "Горбунов", "Анисимов", "Тихомиров", "Галкин",
    "Лукьянов", "Михеев", "Скворцов", "Юдин", "Белоусов", "Нестеров", "Симонов", "Прокофьев",
    "Харитонов", "Князев", "Цветков", "Левин", "Митрофанов", "Воронов", "Аксёнов", "Мальцев",
    "Логинов", "Горшков", "Савин", "Краснов", "Майоров", "Демидов", "Елисеев", "Рыбаков",
    "Сафонов", "Плотников", "Хохлов", "Фадеев", "Молчанов", "Игнатов", "Литвинов", "Ершов",
    "Ушаков", "Дементьев", "Рябов", "Мухин", "Калашников", "Леонтьев", "Лобанов", "Кузин",
    "Корнилов", "Евдокимов", "Бородин", "Платонов", "Некрасов", "Балашов", "Бобров", "Жданов",
    "Блинов", "Игнатьев", "Коротков", "Муравьёв", "Крюков", "Беляков", "Богомолов", "Дроздов",
    "Лавров", "Зуев", "Петухов", "Ларин", "Никулин", "Серов", "Терентьев", "Зубков",
    "Успенский", "Покровский", "Островский", "Троицкий", "Белецкий", "Луговской", "Толстой",
    "Шевченко", "Бондаренко", "Коваленко", "Ткаченко", "Кравченко", "Черных", "Седых", "Долгих",
};

struct MaleName
{
    std::string_view name;
    std::string_view sonOf;      // patronymic, male form
    std::string_view daughterOf; // patronymic, female form
};

constexpr MaleName kIvan = {"Иван", "Иванович", "Ивановна"};
constexpr MaleName kMaleNames[] = {
    {"Александр", "Александрович", "Александровна"}, {"Алексей", "Алексеевич", "Алексеевна"},
    {"Андрей", "Андреевич", "Андреевна"},             {"Антон", "Антонович", "Антоновна"},
    {"Артём", "Артёмович", "Артёмовна"},              {"Борис", "Борисович", "Борисовна"},
    {"Вадим", "Вадимович", "Вадимовна"},              {"Валентин", "Валентинович", "Валентиновна"},
    {"Валерий", "Валерьевич", "Валерьевна"},          {"Василий", "Васильевич", "Васильевна"},
    {"Виктор", "Викторович", "Викторовна"},           {"Виталий", "Витальевич", "Витальевна"},
    {"Владимир", "Владимирович", "Владимировна"},     {"Владислав", "Владиславович", "Владиславовна"},
    {"Вячеслав", "Вячеславович", "Вячеславовна"},     {"Геннадий", "Геннадьевич", "Геннадьевна"},
    {"Георгий", "Георгиевич", "Георгиевна"},          {"Григорий", "Григорьевич", "Григорьевна"},
    {"Денис", "Денисович", "Денисовна"},              {"Дмитрий", "Дмитриевич", "Дмитриевна"},
    {"Евгений", "Евгеньевич", "Евгеньевна"},          {"Егор", "Егорович", "Егоровна"},
    {"Игорь", "Игоревич", "Игоревна"},                {"Илья", "Ильич", "Ильинична"},
    {"Кирилл", "Кириллович", "Кирилловна"},           {"Константин", "Константинович", "Константиновна"},
    {"Леонид", "Леонидович", "Леонидовна"},           {"Максим", "Максимович", "Максимовна"},
    {"Михаил", "Михайлович", "Михайловна"},           {"Никита", "Никитич", "Никитична"},
    {"Николай", "Николаевич", "Николаевна"},          {"Олег", "Олегович", "Олеговна"},
    {"Павел", "Павлович", "Павловна"},                {"Пётр", "Петрович", "Петровна"},
    {"Роман", "Романович", "Романовна"},              {"Руслан", "Русланович", "Руслановна"},
    {"Сергей", "Сергеевич", "Сергеевна"},             {"Станислав", "Станиславович", "Станиславовна"},
    {"Степан", "Степанович", "Степановна"},           {"Тимур", "Тимурович", "Тимуровна"},
    {"Фёдор", "Фёдорович", "Фёдоровна"},              {"Юрий", "Юрьевич", "Юрьевна"},
    {"Ярослав", "Ярославович", "Ярославовна"},
};

constexpr std::string_view kFemaleNames[] = {
    "Анна", "Мария", "Елена", "Ольга", "Наталья", "Татьяна", "Ирина", "Светлана",
    "Екатерина", "Юлия", "Людмила", "Галина", "Надежда", "Марина", "Анастасия", "Валентина",
    "Любовь", "Вера", "Лариса", "Оксана", "Алла", "Нина", "Тамара", "Зоя",
    "Дарья", "Ксения", "Полина", "Софья", "Александра", "Виктория", "Евгения", "Жанна",
    "Кристина", "Маргарита", "Лилия", "Раиса", "Римма", "Эльвира", "Яна", "Алёна",
};

constexpr std::string_view kDepartments[] = {
    "Дирекция", "Приёмная директора", "Бухгалтерия", "Финансовый отдел",
    "Планово-экономический отдел", "Отдел кадров", "Юридический отдел", "Канцелярия",
    "Отдел информационных технологий", "Служба безопасности", "Хозяйственный отдел",
    "Отдел материально-технического снабжения", "Производственный отдел", "Технический отдел",
    "Конструкторское бюро", "Отдел главного механика", "Отдел главного энергетика",
    "Отдел технического контроля", "Центральная заводская лаборатория", "Отдел продаж",
    "Отдел маркетинга", "Отдел охраны труда", "Транспортный цех", "Архив", "Склад",
    "Ремонтно-механический цех", "Учебный центр", "Отдел капитального строительства",
};

constexpr std::string_view kPositions[] = {
    "Начальник отдела", "Заместитель начальника отдела", "Главный специалист",
    "Ведущий специалист", "Специалист", "Специалист 1 категории", "Инженер", "Ведущий инженер",
    "Инженер-программист", "Инженер-конструктор", "Системный администратор", "Бухгалтер",
    "Главный бухгалтер", "Экономист", "Юрисконсульт", "Секретарь", "Делопроизводитель",
    "Менеджер", "Техник", "Оператор", "Лаборант", "Мастер участка", "Водитель", "Кладовщик",
    "Табельщик", "Начальник цеха",
};

constexpr std::string_view kMobilePrefixes[] = {"912", "922", "950", "904", "908", "961", "982", "919"};

std::string to1251(std::string_view utf8)
{
    std::string out;
    appendUtf8AsCp1251(utf8, out);
    return out;
}

std::string femaleSurname(std::string_view male)
{
    auto ends = [male](std::string_view tail) {
        return male.size() >= tail.size() && male.substr(male.size() - tail.size()) == tail;
    };
    const std::string stem(male);
    if (ends("ский") || ends("цкий"))
        return stem.substr(0, stem.size() - std::string_view("ий").size()) + "ая";
    if (ends("ой"))
        return stem.substr(0, stem.size() - std::string_view("ой").size()) + "ая";
    if (ends("ов") || ends("ев") || ends("ёв") || ends("ин") || ends("ын"))
        return stem + "а";
    return stem; // -енко, -ых, -их do not change
}

std::vector<std::string> to1251All(const auto &list)
{
    std::vector<std::string> out;
    for (const std::string_view s : list)
        out.push_back(to1251(s));
    return out;
}

void appendNumber(std::string &out, std::uint32_t value, int digits)
{
    char buf[16];
    for (int i = digits - 1; i >= 0; --i) {
        buf[i] = char('0' + value % 10);
        value /= 10;
    }
    out.append(buf, std::size_t(digits));
}

} // namespace

// Every word list in 1251, made once.
struct DemoGenerator::Words
{
    struct Surname
    {
        std::string male, female;
    };
    struct Male
    {
        std::string name, sonOf, daughterOf;
    };
    std::vector<Surname> ivSurnames, surnames;
    Male ivan;
    std::vector<Male> males;
    std::vector<std::string> females, departments, positions, mobilePrefixes;

    Words()
    {
        for (const std::string_view s : kIvSurnames)
            ivSurnames.push_back({to1251(s), to1251(femaleSurname(s))});
        for (const std::string_view s : kSurnames)
            surnames.push_back({to1251(s), to1251(femaleSurname(s))});
        ivan = {to1251(kIvan.name), to1251(kIvan.sonOf), to1251(kIvan.daughterOf)};
        for (const MaleName &m : kMaleNames)
            males.push_back({to1251(m.name), to1251(m.sonOf), to1251(m.daughterOf)});
        females = to1251All(kFemaleNames);
        departments = to1251All(kDepartments);
        positions = to1251All(kPositions);
        mobilePrefixes = to1251All(kMobilePrefixes);
    }
};

std::uint64_t DemoRandom::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint32_t DemoRandom::below(std::uint32_t n)
{
    // The top 32 bits scaled to n: exact integer arithmetic, the same everywhere.
    return std::uint32_t(((next() >> 32) * std::uint64_t(n)) >> 32);
}

DemoGenerator::DemoGenerator()
    : m_words([]() -> const Words & {
          static const Words words;
          return words;
      }()),
      m_random(kDemoSeed)
{
}

void DemoGenerator::next(DemoEntry &e)
{
    const Words &w = m_words;
    DemoRandom &r = m_random;
    const bool female = r.chance(kFemalePerMille);

    const auto &surnames = r.chance(kIvSurnamePerMille) ? w.ivSurnames : w.surnames;
    const Words::Surname &surname = surnames[r.below(std::uint32_t(surnames.size()))];
    const Words::Male &father =
        r.chance(kIvanFatherPerMille) ? w.ivan : w.males[r.below(std::uint32_t(w.males.size()))];

    std::string &fio = e[FIO];
    fio.clear();
    if (female) {
        fio += surname.female;
        fio += ' ';
        fio += w.females[r.below(std::uint32_t(w.females.size()))];
        fio += ' ';
        fio += father.daughterOf;
    } else {
        const Words::Male &given = r.chance(kIvanGivenPerMille)
                                       ? w.ivan
                                       : w.males[r.below(std::uint32_t(w.males.size()))];
        fio += surname.male;
        fio += ' ';
        fio += given.name;
        fio += ' ';
        fio += father.sonOf;
    }

    e[OTDEL] = w.departments[r.below(std::uint32_t(w.departments.size()))];
    e[DOLJ] = w.positions[r.below(std::uint32_t(w.positions.size()))];

    // Rooms 101 to 945: floor, then the room on it.
    const std::uint32_t room = (1 + r.below(9)) * 100 + 1 + r.below(45);
    e[KAB].clear();
    appendNumber(e[KAB], room, 3);

    e[NVNUTR].clear();
    appendNumber(e[NVNUTR], 1000 + r.below(9000), 4);

    // Seven-digit city numbers, which the viewer's 32-bit search can find.
    e[NGOROD].clear();
    if (r.chance(kCityNumberPerMille))
        appendNumber(e[NGOROD], 2000000 + r.below(8000000), 7);

    std::string &mobile = e[NSOT];
    mobile.clear();
    if (r.chance(kMobilePerMille)) {
        mobile += "+7 ";
        mobile += w.mobilePrefixes[r.below(std::uint32_t(w.mobilePrefixes.size()))];
        mobile += ' ';
        appendNumber(mobile, r.below(1000), 3);
        mobile += '-';
        appendNumber(mobile, r.below(100), 2);
        mobile += '-';
        appendNumber(mobile, r.below(100), 2);
    }
}

} // namespace telbase
