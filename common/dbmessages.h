#pragma once

// The dataset layer's message texts, in one place. They are the platform's stock English
// texts; %1, %2, ... are filled with QString::arg, numbers in the range text with %g.

#include <QString>

namespace DbMessages {

inline const char *const EngineStart =
    "An error occurred while attempting to initialize the Borland Database Engine (error $%1)";

inline const char *const InvalidInteger = "'%1' is not a valid integer value for field '%2'";
inline const char *const InvalidFloat = "'%1' is not a valid floating point value for field '%2'";
// The value and the bounds are formatted like printf's %g.
inline const char *const OutOfRange = "%1 is not a valid value for field '%2'. The allowed range is %3 to %4";
inline const char *const InvalidBoolean = "'%1' is not a valid boolean value for field '%2'";
inline const char *const InvalidDate = "'%1' is not a valid date for field '%2'";

inline const char *const ParamNotFound = "Parameter '%1' not found";
inline const char *const NoParamValue = "No value for parameter '%1'";
inline const char *const FieldNotFound = "Field '%1' not found";
inline const char *const FieldReadOnly = "Field '%1' cannot be modified";

inline const char *const DataSetClosed = "Cannot perform this operation on a closed dataset";
inline const char *const DataSetOpen = "Cannot perform this operation on an open dataset";
inline const char *const DataSetEmpty = "Cannot perform this operation on an empty dataset";
inline const char *const DataSetReadOnly = "Cannot modify a read-only dataset";
inline const char *const NotEditing = "Dataset not in edit or insert mode";

inline QString text(const char *message) { return QString::fromLatin1(message); }

} // namespace DbMessages
