# Reads the module-definition file and writes a header that gives each internal name the ELF
# symbol of its export: "?zSQLDate"=xll_zSQLDate becomes
#   #define XLL_LABEL_xll_zSQLDate __asm__("\"?zSQLDate\"")
# Run as: cmake -DDEF=... -DOUT=... -P ExportLabels.cmake
file(STRINGS "${DEF}" lines)
set(body "// Generated from ${DEF}; do not edit.\n#pragma once\n")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*\"?([^\"= \t;]+)\"?[ \t]*=[ \t]*([A-Za-z_][A-Za-z0-9_]*)")
    set(export "${CMAKE_MATCH_1}")
    set(internal "${CMAKE_MATCH_2}")
    string(REPLACE "@" "$" symbol "${export}")
    string(APPEND body "#define XLL_LABEL_${internal} __asm__(\"\\\"${symbol}\\\"\")\n")
  elseif(line MATCHES "^[ \t]*([A-Za-z_][A-Za-z0-9_]*)[ \t]*$")
    string(APPEND body "#define XLL_LABEL_${CMAKE_MATCH_1}\n")
  endif()
endforeach()
file(WRITE "${OUT}.tmp" "${body}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUT}.tmp" "${OUT}")
