# A million-row fetch with progress on against the same fetch with progress off, in one program
# linking the add-in's db library.
add_executable(progress_bench ${CMAKE_CURRENT_LIST_DIR}/progress_bench.cpp)
target_link_libraries(progress_bench PRIVATE zorvane_db)
target_compile_options(progress_bench PRIVATE ${ZORVANE_WARNINGS})
set_target_properties(progress_bench PROPERTIES ENABLE_EXPORTS ON)
