#pragma once

// The directory table: its file names, its seven fields in display order, and the column
// title each program shows over them.

#include <array>

#include <QString>

namespace Directory {

// The viewer names the file "TelBase.dbf", the editor "Telbase.dbf"; the engine finds a
// file whose name differs only in letter case, so both reach one file.
inline const char *const ViewerTableFileName = "TelBase.dbf";
inline const char *const EditorTableFileName = "Telbase.dbf";

struct FieldInfo
{
    const char *name;         // as the grids name it
    const char *viewerTitle;  // UTF-8
    const char *editorTitle;  // UTF-8
};

inline constexpr int FieldCount = 7;

// FIO, OTDEL, DOLJ, KAB, NVNUTR, NGOROD, NSOT: name, department, position, room,
// internal number, city number, mobile number.
extern const std::array<FieldInfo, FieldCount> Fields;

QString FieldName(int index);
QString ViewerTitle(int index);
QString EditorTitle(int index);

// The structure a directory table is created with (the table tool creates it; the programs
// never do): FIO C(60), OTDEL C(60), DOLJ C(50), KAB N(6), NVNUTR N(6), NGOROD N(11),
// NSOT C(20).
struct FieldLayout
{
    const char *name;
    char type;
    int length;
    int decimals;
};
extern const std::array<FieldLayout, FieldCount> Layout;

} // namespace Directory
