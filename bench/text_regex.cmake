# REGEX.MATCH and REGEX.REPLACE over 100,000 cells of the loaded add-in against std::wregex, and
# split_text over growing texts with the host's VALUE. Both play the host in-process, so process
# start-up and formula parsing stay out of the figures.
add_executable(regex_bench ${CMAKE_CURRENT_LIST_DIR}/regex_bench.cpp)
target_link_libraries(regex_bench PRIVATE zorvane_host zorvane_xll)
target_compile_options(regex_bench PRIVATE ${ZORVANE_WARNINGS})
target_compile_definitions(regex_bench PRIVATE ZORVANE_ADDIN_PATH="${CMAKE_BINARY_DIR}/Zorvane.xll")
set_target_properties(regex_bench PROPERTIES ENABLE_EXPORTS ON)
add_dependencies(regex_bench Zorvane)

add_executable(split_bench ${CMAKE_CURRENT_LIST_DIR}/split_bench.cpp)
target_link_libraries(split_bench PRIVATE zorvane_host zorvane_xll)
target_compile_options(split_bench PRIVATE ${ZORVANE_WARNINGS})
set_target_properties(split_bench PROPERTIES ENABLE_EXPORTS ON)
