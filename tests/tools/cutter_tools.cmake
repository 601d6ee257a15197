# Developer tools of the cutter, built beside the tests.
add_executable(tandrill_cut_preview ${CMAKE_CURRENT_LIST_DIR}/cut_preview.cpp)
target_link_libraries(tandrill_cut_preview PRIVATE tandrill_core)
