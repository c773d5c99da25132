// The stand-in's record of the calls it received, for the tests: one line per call, appended to
// the file named by LANVIK_DAO_RECORD (nothing is recorded when it is not set). A line is the
// call's name followed by its arguments, each after a tab, in UTF-8; a backslash, tab, carriage
// return or line feed inside an argument is written \\, \t, \r, \n. The lines are:
//   EngineCreated <36|120>            EngineReleased <36|120>
//   OpenDatabase <path>               DatabaseClose
//   Execute <sql> <options>           (Database.Execute)
//   CreateQueryDef <name> <sql>       Parameter <name> <VARTYPE number> <value as text>
//   QueryDefExecute <options>         QueryDefClose
//   OpenRecordset <source> <type> <options>
//   AddNew                            Field <name> <VARTYPE number> <value as text>
//   Update                            RecordsetClose
//   BeginTrans                        CommitTrans                  Rollback
// A missing optional argument is written as "-".
#pragma once

#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <initializer_list>
#include <string>

namespace dao_standin {

void RecordCall(std::initializer_list<std::wstring> fields);

// A value as the record writes it: its text (dates as YYYY-MM-DD[ hh:mm:ss], numbers with ".").
std::wstring RecordedValue(const VARIANT& value);

}  // namespace dao_standin
