#pragma once

#include <QIcon>
#include <QPixmap>

// The editor's own pictures, drawn in code so that no binary file has to be kept.
namespace EditorPictures {

// The window's icon: 32 x 32 in 16 colours, an open directory book with a pencil.
QPixmap windowIcon();

// The folder button's picture: 16 x 16, an open yellow folder.
QPixmap folderButtonGlyph();

} // namespace EditorPictures
