# The bare ODBC loops zStatement is measured against: the driver manager alone, no add-in code.
if(NOT WIN32)
  add_executable(odbc_floor ${CMAKE_CURRENT_LIST_DIR}/odbc_floor.cpp)
  find_package(Threads REQUIRED)
  target_link_libraries(odbc_floor PRIVATE ${ZORVANE_ODBC_LIBRARY} Threads::Threads)
  target_compile_options(odbc_floor PRIVATE ${ZORVANE_WARNINGS})
endif()
