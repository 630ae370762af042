#pragma once

// The framework's own texts: the stock English ones that the platform itself shows,
// whatever the language of the programs' own texts.
namespace FrameworkMessages {

inline constexpr char kConfirmCaption[] = "Confirm";
inline constexpr char kDeleteRecordQuestion[] = "Delete record?";

} // namespace FrameworkMessages
