# The puzzle demo: a real window with one puzzle, driven by the end-to-end
# test puzzle_solve_e2e.sh.
add_executable(tandrill_puzzle_demo ${CMAKE_CURRENT_LIST_DIR}/puzzle_demo.cpp)
target_link_libraries(tandrill_puzzle_demo PRIVATE tandrill_core)
set_target_properties(tandrill_puzzle_demo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
