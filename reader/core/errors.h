// The reader's one error catalogue: every number it raises, with its name and the text the user
// sees. The constants, the description lookup and the box titles all come from this table, so a
// number and its text are written once. Texts are those the host's code already tests for: the
// host language's run-time errors, the file-system object's, the Access database engine's (where
// "|" stands for the file, table or field the message names), the serial control's.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace reader {

#define READER_ERROR_MAP(XX)                                                                     \
    XX(InvalidArgument, 5, L"Invalid procedure call or argument")                                \
    XX(Overflow, 6, L"Overflow")                                                                 \
    XX(OutOfMemory, 7, L"Out of memory")                                                         \
    XX(SubscriptOutOfRange, 9, L"Subscript out of range")                                        \
    XX(TypeMismatch, 13, L"Type mismatch")                                                       \
    XX(DllLoadError, 48, L"Error in loading DLL")                                                \
    XX(InternalError, 51, L"Internal error")                                                     \
    XX(FileNotFound, 53, L"File not found")                                                      \
    XX(FileAlreadyExists, 58, L"File already exists")                                            \
    XX(InputPastEndOfFile, 62, L"Input past end of file")                                        \
    XX(PermissionDenied, 70, L"Permission denied")                                               \
    XX(PathFileAccessError, 75, L"Path/File access error")                                       \
    XX(PathNotFound, 76, L"Path not found")                                                      \
    XX(InvalidPropertyValue, 380, L"Invalid property value")                                     \
    XX(ObjectRequired, 424, L"Object required")                                                  \
    XX(CantCreateObject, 429, L"ActiveX component can't create object")                          \
    XX(ActionNotSupported, 445, L"Object doesn't support this action")                           \
    XX(DllEntryPointNotFound, 453, L"Can't find DLL entry point | in |")                         \
    XX(DbReservedError, 3000, L"Reserved error")                                                 \
    XX(DbDuplicateValue, 3022,                                                                   \
       L"The changes you requested to the table were not successful because they would "         \
       L"create duplicate values in the index, primary key, or relationship. Change the data "   \
       L"in the field or fields that contain duplicate data, remove the index, or redefine the " \
       L"index to permit duplicate entries and try again.")                                      \
    XX(DbFileNotFound, 3024, L"Could not find file '|'.")                                        \
    XX(DbDiskFull, 3026, L"Not enough space on disk.")                                           \
    XX(DbReadOnly, 3027, L"Cannot update. Database or object is read-only.")                     \
    XX(DbNoTransaction, 3034,                                                                    \
       L"You tried to commit or rollback a transaction without first beginning a transaction.")  \
    XX(DbCannotOpenFile, 3051,                                                                   \
       L"The Microsoft Jet database engine cannot open the file '|'. It is already opened "      \
       L"exclusively by another user, or you need permission to view its data.")                 \
    XX(DbTooFewParameters, 3061, L"Too few parameters. Expected 1.")                             \
    XX(DbNoSuchTable, 3078,                                                                      \
       L"The Microsoft Jet database engine cannot find the input table or query '|'.  Make "     \
       L"sure it exists and that its name is spelled correctly.")                                \
    XX(DbUnknownInsertField, 3127,                                                               \
       L"The INSERT INTO statement contains the following unknown field name: '|'.  Make sure "  \
       L"you have typed the name correctly, and try the operation again.")                       \
    XX(DbFieldTooSmall, 3163,                                                                    \
       L"The field is too small to accept the amount of data you attempted to add. Try "         \
       L"inserting or pasting less data.")                                                       \
    XX(DbNoInstallableIsam, 3170, L"Could not find installable ISAM.")                           \
    XX(DbCurrentlyLocked, 3218, L"Could not update; currently locked.")                          \
    XX(DbItemNotFound, 3265, L"Item not found in this collection.")                              \
    XX(DbRequiredValue, 3314,                                                                    \
       L"The field '|' cannot contain a Null value because the Required property for this "      \
       L"field is set to True.  Enter a value in this field.")                                   \
    XX(DbValidationRule, 3317, L"One or more values are prohibited by the validation rule.")     \
    XX(DbUnrecognizedFormat, 3343, L"Unrecognized database format '|'.")                         \
    XX(DbNumericOverflow, 3349, L"Numeric field overflow.")                                      \
    XX(DbConversionError, 3421, L"Data type conversion error.")                                  \
    XX(DbTypeMismatch, 3464, L"Data type mismatch in criteria expression.")                      \
    XX(PortOpen, 8000, L"Operation not valid while the port is opened")                          \
    XX(PortInvalid, 8002, L"Invalid Port Number")                                                \
    XX(PortAlreadyOpen, 8005, L"Port already open")                                              \
    XX(HardwareNotAvailable, 8010, L"The hardware is not available (locked by another device)")  \
    XX(SetCommStateFailed, 8015, L"Could not set comm state")                                    \
    XX(PortNotOpen, 8018, L"Operation valid only when the port is open")                         \
    XX(ReadError, 8020, L"Error reading comm device")

#define READER_ERROR_CONSTANT(name, number, text) kErr##name = number,
enum : std::int32_t { READER_ERROR_MAP(READER_ERROR_CONSTANT) };
#undef READER_ERROR_CONSTANT

// An error that a method raises to its caller. The COM shell turns it into an Automation error
// with HRESULT 0x800A0000 + number, so that VBA/VBScript see Err.Number = number and
// Err.Description = description. systemCode (the Windows or SQLite code behind it) and operation
// (the call that failed, with its object) are for diagnosis only and never shown to the user.
struct RaisedError {
    RaisedError(std::int32_t number, std::wstring description, std::int64_t systemCode = 0,
                std::wstring operation = {})
        : number(number),
          description(std::move(description)),
          systemCode(systemCode),
          operation(std::move(operation)) {}

    std::int32_t number;
    std::wstring description;
    std::int64_t systemCode;
    std::wstring operation;
};

// The catalogue's text for a number, "|" standing for what the message names; empty for a
// number the catalogue does not hold.
std::wstring ErrorText(std::int32_t number);
// The text with each "|" replaced by the next of fills, in order.
std::wstring ErrorText(std::int32_t number, std::initializer_list<std::wstring_view> fills);

// The title of the box that reports an error: "Errore n. " and the number in decimal.
std::wstring ErrorBoxTitle(std::int32_t number);

// The catalogue's error, with what the system said for diagnosis. Every raise goes through one of
// these two, which also writes it to the diagnostic sink.
RaisedError ReaderError(std::int32_t number, std::int64_t systemCode = 0,
                        std::wstring operation = {});
// The same with a description of its own (a catalogue text with its "|" filled, or an outside
// engine's own message).
RaisedError ReaderErrorWithText(std::int32_t number, std::wstring description,
                                std::int64_t systemCode = 0, std::wstring operation = {});

// Where raised errors are written for a support person (on Windows: OutputDebugStringW, read with
// a debug viewer). Nothing is written until a sink is set; set once, before objects exist.
using DiagnosticSink = void (*)(const wchar_t* line);
void SetDiagnosticSink(DiagnosticSink sink);
// The line written for an error: number, description, operation and system code.
std::wstring DiagnosticLine(const RaisedError& error);

}  // namespace reader
