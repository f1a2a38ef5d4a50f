# The export list written from the framework's entries and the catalogue (cmake/Exports.cmake):
# both tables in order, an alias's procedure exported once, '@' stored as '$' for ELF, comments
# skipped, and a procedure bound to two functions or written another way refused.
#   cmake -DSCRIPT=<source>/cmake/Exports.cmake -DWORK=<scratch folder> -P exports_table.cmake
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/framework.def "; the framework's\nLIBRARY Zorvane.xll\nEXPORTS\nxlAutoOpen\n\"_XLCallVer@0\"=xll_XLCallVer\n")

function(generate catalogue result)
  file(WRITE ${WORK}/catalogue.cpp "${catalogue}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DFRAMEWORK=${WORK}/framework.def -DCATALOGUE=${WORK}/catalogue.cpp
                          -DDEF=${WORK}/out.def -DLABELS=${WORK}/labels.h -P ${SCRIPT}
                  RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET)
  string(REGEX REPLACE "[ \t\n]+" " " err "${err}") # CMake wraps its messages
  set(${result} ${status} PARENT_SCOPE)
  set(${result}_error "${err}" PARENT_SCOPE)
endfunction()

generate([=[
// XLL_PROCEDURE("?zNotOne", xll_zNotOne) in a comment is no entry
AddIn xai_alert_filter(Args(XLL_PROCEDURE4("_xll_alert_filter@0", xll_alert_filter), "ALERT.FILTER"));
AddIn12 xai_zSQLDate(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSQLDate", xll_zSQLDate), XLL_T("zSQLDate"))
AddIn12 xai_zD(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSQLDate", xll_zSQLDate), XLL_T("zD"))
AddIn12 xai_zClearCache(Args12(XLL_PROCEDURE("?zmClear_Cache", xll_zmClear_Cache), XLL_T("zClearCache")));
]=] ok)
if(NOT ok EQUAL 0)
  message(FATAL_ERROR "a sound catalogue was refused: ${ok_error}")
endif()
file(READ ${WORK}/out.def def)
set(expected_def [=[; the framework's
LIBRARY Zorvane.xll
EXPORTS
xlAutoOpen
"_XLCallVer@0"=xll_XLCallVer
; the catalogue's procedures, in registration order
"_xll_alert_filter@0"=xll_alert_filter
"?zSQLDate"=xll_zSQLDate
"?zmClear_Cache"=xll_zmClear_Cache
]=])
if(NOT def STREQUAL expected_def)
  message(FATAL_ERROR "module-definition file:\n${def}\nexpected:\n${expected_def}")
endif()
file(STRINGS ${WORK}/labels.h labels REGEX "^#define")
set(expected_labels
  "#define XLL_LABEL_xlAutoOpen"
  [=[#define XLL_LABEL_xll_XLCallVer __asm__("\"_XLCallVer$0\"")]=]
  [=[#define XLL_LABEL_xll_alert_filter __asm__("\"_xll_alert_filter$0\"")]=]
  [=[#define XLL_LABEL_xll_zSQLDate __asm__("\"?zSQLDate\"")]=]
  [=[#define XLL_LABEL_xll_zmClear_Cache __asm__("\"?zmClear_Cache\"")]=])
if(NOT labels STREQUAL expected_labels)
  message(FATAL_ERROR "labels:\n${labels}\nexpected:\n${expected_labels}")
endif()

generate([=[
AddIn12 a(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSQLDate", xll_zSQLDate), XLL_T("zSQLDate"))
AddIn12 b(Args12(XLL_T("Q"), XLL_PROCEDURE("?zSQLDate", xll_zSQLDateTime), XLL_T("zD"))
]=] two_functions)
if(two_functions EQUAL 0 OR NOT two_functions_error MATCHES "names both xll_zSQLDate and xll_zSQLDateTime")
  message(FATAL_ERROR "one procedure bound to two functions was taken: ${two_functions_error}")
endif()

generate([=[
AddIn12 a(Args12(XLL_T("Q"), XLL_PROCEDURE(L"?zSQLDate", xll_zSQLDate), XLL_T("zSQLDate"))
]=] unreadable)
if(unreadable EQUAL 0 OR NOT unreadable_error MATCHES "not written as")
  message(FATAL_ERROR "a procedure the build cannot read was taken: ${unreadable_error}")
endif()
