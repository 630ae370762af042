#include "directory.h"

namespace Directory {

const std::array<FieldInfo, FieldCount> Fields = {{
    {"FIO", "ФИО", "ФИО"},
    {"OTDEL", "Отдел", "Отдел"},
    {"DOLJ", "Должность", "Должность"},
    {"KAB", "№ кабинета", "Кабинет"},
    {"NVNUTR", "№ внутренний", "Внутренний номер"},
    {"NGOROD", "№ городской", "Городской номер"},
    {"NSOT", "№ сотовый", "Номер сотового"},
}};

const std::array<FieldLayout, FieldCount> Layout = {{
    {"FIO", 'C', 60, 0},
    {"OTDEL", 'C', 60, 0},
    {"DOLJ", 'C', 50, 0},
    {"KAB", 'N', 6, 0},
    {"NVNUTR", 'N', 6, 0},
    {"NGOROD", 'N', 11, 0},
    {"NSOT", 'C', 20, 0},
}};

namespace {
bool valid(int index) { return index >= 0 && index < FieldCount; }
} // namespace

QString FieldName(int index)
{
    return valid(index) ? QString::fromLatin1(Fields[size_t(index)].name) : QString();
}

QString ViewerTitle(int index)
{
    return valid(index) ? QString::fromUtf8(Fields[size_t(index)].viewerTitle) : QString();
}

QString EditorTitle(int index)
{
    return valid(index) ? QString::fromUtf8(Fields[size_t(index)].editorTitle) : QString();
}

} // namespace Directory
